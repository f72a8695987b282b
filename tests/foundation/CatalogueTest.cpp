// The catalogue beside the program: every key the interface shows, in the
// three languages, and interface code that never uses a text as a format.
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "app/Text.h"

namespace {
// The 168 keys the interface looks up, in the order of their first use.
const char* const kKeys[] = {
    "aboutthisprogram", "about_support", "about_thanks", "about_dtgcopyright", "dtgeula", "close", "termsagreed",
    "parameterhelp", "wrongtsinstallpath", "installsuccess", "installresult_warning", "installresult_forcedbloom",
    "installresult_forcedtsx", "launchts32", "launchts64", "installfailed", "restoresuccess", "restorefailed",
    "shaderscompilation_warning", "shaderscompilation_compilebutton", "presetimport_notice", "file", "installbutton",
    "restorebutton", "presetimport", "presetimportbrowsertitle", "presetexport", "presetexportbrowsertitle",
    "opentsdirectory", "quit", "view", "helpicons", "settings", "language", "lang_english", "lang_french",
    "lang_german", "about", "status", "enabled", "installedshadersoutofdate", "disabled", "tsintallpath",
    "wrongtspath", "changepath", "shadersparameters", "restoresettings", "ssaoeffect", "ssao", "ssao_help",
    "ssaointensity", "ssaointensity_help", "reflections", "reflectionsenhancements", "reflectionsenhancements_help",
    "reflectionsintensity", "reflectionsintensity_help", "reflectionscolordesaturation",
    "reflectionscolordesaturation_help", "dof", "dofenhancements", "dofenhancements_help", "dofnearplane",
    "dofnearplane_help", "fog", "fogenhancements", "fogenhancements_help", "fogbrightness", "fogbrightness_help",
    "fogcolordesaturation", "fogcolordesaturation_help", "fogdensitymultiplier", "fogdensitymultiplier_help",
    "procflora", "procfloraenhancements", "procfloraenhancements_help", "procfloraswayanimation",
    "procfloraswayanimation_help", "procfloraclumpsizerandomization", "procfloraclumpsizerandomization_help",
    "procflorarandomsizemultiplier", "procflorarandomsizemultiplier_help", "procflorarenderdistance",
    "procflorarenderdistance_help", "weathereffectssky", "weatherenhancements", "weatherenhancements_help",
    "dynamiccloudsenhancements", "dynamiccloudsenhancements_help", "dynamiccloudsperffix",
    "dynamiccloudsperffix_help", "rainsnowminimumopacity", "rainsnowminimumopacity_desc", "skysunsizemultiplier",
    "skysunsizemultiplier_desc", "skybrightnessmultiplier", "skybrightnessmultiplier_desc", "lightsources",
    "lightglowenhancements", "lightglowenhancements_help", "sunshadowsenhancements", "sunshadowsenhancements_help",
    "nopointlightshadows", "nopointlightshadows_help", "nospotlightshadows", "nospotlightshadows_help",
    "nospotpointspecular", "nospotpointspecular_help", "pointlightsintensitymultiplier",
    "pointlightsintensitymultiplier_help", "spotlightsintensitymultiplier", "spotlightsintensitymultiplier_help",
    "pointlightsspecularintensitymultiplier", "pointlightsspecularintensitymultiplier_help",
    "spotlightsspecularintensitymultiplier", "spotlightsspecularintensitymultiplier_help", "lightglowcolortint",
    "lightglowcolortint_help", "pointlightscolortint", "pointlightscolortint_help", "spotlightscolortint",
    "spotlightscolortint_help", "glassrendering", "glassenhancements", "glassenhancements_help", "overtintedglassfix",
    "overtintedglassfix_help", "glassreflectionsintensity", "glassreflectionsintensity_help",
    "glassreflectionscolordesaturation", "glassreflectionscolordesaturation_help", "fxaafix", "fxaafix_help",
    "fxaaedgebluringintensity", "fxaaedgebluringintensity_help", "twodvegetation", "vegetationenhancements",
    "vegetationenhancements_help", "vegetationmaxbrightnessvariationamplitude",
    "vegetationmaxbrightnessvariationamplitude_help", "vegetationmaxcolorvariationamplitude",
    "vegetationmaxcolorvariationamplitude_help", "hdrbloom", "hdrexposure", "hdrexposure_help", "bloomintensity",
    "bloomintensity_help", "bloomcolordesaturation", "bloomcolordesaturation_help", "imagecolors", "colorbandingfix",
    "colorbandingfix_help", "gamma", "gamma_help", "imagesharpness", "imagesharpness_help",
    "imagecontrastboostmultiplier", "imagecontrastboostmultiplier_help", "colorvibrance", "colorvibrance_help",
    "imagegraylevel", "imagegraylevel_help", "imagesepialevel", "imagesepialevel_help", "presetmanager",
    "presetfeaturedesc", "presetbrowse", "launcher",
};

// Keys the interface added since: the install progress, the install and
// restore details, and the preview.
const char* const kAddedKeys[] = {
    "installresult_kept", "restoreresult_counts", "restoreresult_leftalone", "restorefailed_files",
    "installprogress_preparing", "installprogress_compiling", "installprogress_count", "installprogress_skyfile",
    "installprogress_profile", "installfailed_effect", "openlogfile", "previewtitle", "previewscope",
    "previewbefore", "previewafter", "previewcomparehint", "previewloadscreenshot", "previewbuiltinscene",
    "previewbrowsertitle", "previewloadfailed",
};

std::vector<const char*> AllKeys() {
    std::vector<const char*> keys(std::begin(kKeys), std::end(kKeys));
    keys.insert(keys.end(), std::begin(kAddedKeys), std::end(kAddedKeys));
    return keys;
}

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

const std::filesystem::path kRoot = VANTREL_SOURCE_DIR;
}  // namespace

TEST(Catalogue, EveryKeyOnceWithThreeLanguages) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file((kRoot / "Data" / "Localization.xml").c_str()));
    const pugi::xml_node root = doc.child("localization");
    ASSERT_TRUE(root);
    ASSERT_EQ(std::size(kKeys), 168u);
    for (const char* key : AllKeys()) {
        int count = 0;
        for (pugi::xml_node element : root.children(key)) {
            ++count;
            for (const char* language : {"english", "french", "german"}) {
                const std::string text = element.attribute(language).as_string();
                EXPECT_FALSE(text.empty()) << key << " " << language;
                EXPECT_FALSE(Utf8ToWide(text).empty()) << key << " " << language << " is not UTF-8";
                EXPECT_EQ(text.find("##"), std::string::npos) << key << " " << language;
            }
        }
        EXPECT_EQ(count, 1) << key;
    }
}

TEST(Catalogue, InterfaceUsesOnlyKnownKeysAndNoTextAsAFormat) {
    const std::vector<const char*> keys = AllKeys();
    std::set<std::string> known(keys.begin(), keys.end());
    const std::regex keyUse(R"re((?:\bT|\bLabel|Localization::Text)\("([a-z0-9_]+)")re");
    const std::regex formatCall(R"re(ImGui::(?:Text|TextColored|TextWrapped|BulletText|SetTooltip|LabelText)\(([^;]*))re");
    int used = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kRoot / "ui")) {
        if (entry.path().extension() != ".cpp") continue;
        const std::string source = Slurp(entry.path());
        for (std::sregex_iterator it(source.begin(), source.end(), keyUse), end; it != end; ++it) {
            ++used;
            EXPECT_TRUE(known.count((*it)[1])) << entry.path() << " uses unknown key " << (*it)[1];
        }
        for (std::sregex_iterator it(source.begin(), source.end(), formatCall), end; it != end; ++it) {
            std::string args = (*it)[1];
            // The format argument (after a colour for TextColored) must be a literal.
            if ((*it)[0].str().rfind("ImGui::TextColored", 0) == 0) args = args.substr(args.find(',') + 1);
            while (!args.empty() && args.front() == ' ') args.erase(0, 1);
            EXPECT_EQ(args.front(), '"') << entry.path() << ": " << (*it)[0];
        }
    }
    EXPECT_GT(used, 50);
}

// French puts a no-break space (U+00A0 or the narrow U+202F) before ":", ";",
// "!" and "?", so that a wrapped line never starts with one of them.
TEST(Catalogue, FrenchHasANoBreakSpaceBeforeDoublePunctuation) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file((kRoot / "Data" / "Localization.xml").c_str()));
    int marks = 0;
    for (pugi::xml_node element : doc.child("localization").children()) {
        const std::u16string text = Utf8ToWide(element.attribute("french").as_string());
        for (size_t i = 0; i < text.size(); ++i) {
            if (std::u16string_view(u":;!?").find(text[i]) == std::u16string_view::npos) continue;
            ++marks;
            EXPECT_TRUE(i > 0 && (text[i - 1] == u'\u00A0' || text[i - 1] == u'\u202F'))
                << element.name() << ": " << element.attribute("french").as_string();
        }
    }
    EXPECT_GT(marks, 40);
}
