// The catalogue beside the program and its lookup: every key the interface
// and the parameter table use, once, in the three languages; no text used as
// a format; french no-break spaces; and the fall-backs between languages.
#include <regex>
#include <string_view>

#include <pugixml.hpp>

#include "app/Text.h"
#include "settings/Localization.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "tests/support/TestEnv.h"

TEST(Catalogue, HoldsEveryKeyTheInterfaceUsesInThreeLanguagesWithFrenchSpacing) {
    const fs::path root = VANTREL_SOURCE_DIR;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file((root / "Data" / "Localization.xml").c_str()));
    const pugi::xml_node catalogue = doc.child("localization");

    const std::regex keyUse(R"re((?:\bT|\bLabel|Localization::Text)\("([a-z0-9_]+)")re");
    const std::regex formatCall(
        R"re(ImGui::(?:Text|TextColored|TextWrapped|BulletText|SetTooltip|LabelText)\(([^;]*))re");
    std::set<std::string> keys;
    std::vector<fs::path> sources;
    for (const char* folder : {"ui", "preview"})
        for (const auto& entry : fs::directory_iterator(root / folder)) sources.push_back(entry.path());
    for (const fs::path& path : sources) {
        if (path.extension() != ".cpp") continue;
        const std::string source = ReadText(path);
        for (std::sregex_iterator it(source.begin(), source.end(), keyUse), end; it != end; ++it) keys.insert((*it)[1]);
        // The format argument (after the colour of TextColored) must be a literal.
        for (std::sregex_iterator it(source.begin(), source.end(), formatCall), end; it != end; ++it) {
            std::string args = (*it)[1];
            if ((*it)[0].str().rfind("ImGui::TextColored", 0) == 0) args.erase(0, args.find(',') + 1);
            EXPECT_EQ(args.substr(args.find_first_not_of(' '), 1), "\"") << path << ": " << (*it)[0];
        }
    }
    // The parameters tab takes its keys from the parameter table.
    for (const ParamDesc& p : ShaderParamTable()) {
        for (const char* key : {p.label, p.help})
            if (key) keys.insert(key);
    }
    for (const ParamSection& section : ParamSections()) {
        keys.insert(section.key);
        if (section.addOnNotice) keys.insert(section.addOnNotice);
    }
    EXPECT_GT(keys.size(), 180u);
    for (const std::string& key : keys) {
        const auto elements = catalogue.children(key.c_str());
        EXPECT_EQ(std::distance(elements.begin(), elements.end()), 1) << key;
        for (const char* language : {"english", "french", "german"}) {
            const std::string text = catalogue.child(key.c_str()).attribute(language).as_string();
            EXPECT_FALSE(Utf8ToWide(text).empty()) << key << " " << language << " is empty or not UTF-8";
            EXPECT_EQ(text.find("##"), std::string::npos) << key << " " << language;
        }
    }

    // French puts a no-break space (U+00A0 or the narrow U+202F) before ":",
    // ";", "!" and "?", so that a wrapped line never starts with one of them.
    int marks = 0;
    for (pugi::xml_node element : catalogue.children()) {
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

TEST(Catalogue, LookupFallsBackToEnglishAndKeepsTheFirstOfTwins) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    WriteText(tmp.path / "program" / "Data" / "Localization.xml",
              "<?xml version=\"1.0\"?>\n<localization><onlyenglish english='Hello'/>"
              "<emptygerman english='Yes' german='' french='Oui'/><onlyfrench french='Seul'/>"
              "<dup english='first'/><dup english='second'/><percent english='100 % %s %d'/></localization>");
    Localization::Load();
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{"Loading localization file..."}));

    Settings& settings = Settings::Instance();
    const auto text = [&](uint32_t language, const char* key) {
        settings.Language = language;
        return Localization::Text(key);
    };
    EXPECT_EQ(text(0, "onlyenglish"), "Hello");
    EXPECT_EQ(text(0, "onlyfrench"), "");
    EXPECT_EQ(text(0, "dup"), "first");
    EXPECT_EQ(text(0, "percent"), "100 % %s %d");
    EXPECT_EQ(text(0, "OnlyEnglish"), "");
    EXPECT_EQ(text(1, "onlyenglish"), "Hello");
    EXPECT_EQ(text(1, "emptygerman"), "Oui");
    EXPECT_EQ(text(1, "onlyfrench"), "Seul");
    EXPECT_EQ(text(2, "emptygerman"), "Yes");
    EXPECT_EQ(text(3, "onlyenglish"), "");

    fs::remove(tmp.path / "program" / "Data" / "Localization.xml");
    Localization::Load();
    EXPECT_EQ(ReadLogLines().back(), "Failed to load localization file");
    EXPECT_EQ(text(0, "onlyenglish"), "");
}
