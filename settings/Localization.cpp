#include "settings/Localization.h"

#include <string_view>
#include <unordered_map>

#include <pugixml.hpp>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/Log.h"
#include "settings/Settings.h"

namespace {
struct Catalogue {
    pugi::xml_document document;
    // Index over the key elements; the first element of a duplicated key wins.
    std::unordered_map<std::string_view, pugi::xml_node> byKey;
    unsigned loads = 0;
};

Catalogue& TheCatalogue() {
    static Catalogue* catalogue = new Catalogue();
    return *catalogue;
}
}  // namespace

namespace Localization {

void Load() {
    Log("Loading localization file...");
    Catalogue& catalogue = TheCatalogue();
    catalogue.byKey.clear();
    ++catalogue.loads;
    std::string bytes;
    ReadFileBytes(AppPaths.programFolder + u"Data/Localization.xml", bytes);
    const pugi::xml_parse_result result = catalogue.document.load_buffer(bytes.data(), bytes.size());
    if (!result) Log("Failed to load localization file");
    for (pugi::xml_node element : catalogue.document.child("localization").children()) {
        if (element.type() == pugi::node_element) catalogue.byKey.emplace(element.name(), element);
    }
}

unsigned Revision() { return TheCatalogue().loads; }

std::string Text(const char* key) {
    const Catalogue& catalogue = TheCatalogue();
    const auto found = catalogue.byKey.find(key);
    if (found == catalogue.byKey.end()) return {};
    const pugi::xml_node element = found->second;
    const char* english = element.attribute("english").as_string();
    switch (Settings::Instance().Language) {
        case 0: return english;
        case 1: {
            const char* text = element.attribute("french").as_string();
            return *text ? text : english;
        }
        case 2: {
            const char* text = element.attribute("german").as_string();
            return *text ? text : english;
        }
        default: return {};
    }
}

std::string AllTexts() {
    std::string all;
    for (const auto& [key, element] : TheCatalogue().byKey) {
        for (pugi::xml_attribute attribute : element.attributes()) all += attribute.value();
    }
    return all;
}

}  // namespace Localization
