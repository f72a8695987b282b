// The embedded templates and the definitions written in front of them: values
// as "%f" in the C locale, the rules per effect, and every effect's
// definitions under the checked settings exactly as they were.

#include <clocale>
#include <cstdio>
#include <limits>
#include <regex>

#include "app/Sha256.h"
#include "shaders/Definitions.h"
#include "tests/support/PipelineTestEnv.h"

TEST(ShaderTemplates, EveryTemplateFileIsEmbeddedAsAsciiWithLf) {
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(VANTREL_SOURCE_DIR) / "shaders" / "templates")) {
        ++files;
        const fs::path& file = entry.path();
        const std::string name = (file.extension() == ".fx" ? file.stem() : file.filename()).string();
        const ShaderTemplate* found = FindShaderTemplate(Utf8ToWide(name));
        ASSERT_NE(found, nullptr) << file << " is not in the catalogue";
        const std::string text = ReadText(file);
        EXPECT_EQ(std::string(found->text), text) << name;
        EXPECT_EQ(text.find('\r'), std::string::npos) << name << " has CR line ends";
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x80; }))
            << name << " is not ASCII";
    }
    EXPECT_EQ(ShaderTemplates().size(), files);
}

TEST(Definitions, ValuesAreWrittenAsPrintfWritesThemInTheCLocaleEvenUnderACommaLocale) {
    // Machines (CI's among them) often have only C locales: compile one here.
    const TempDir locales;
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        const std::string compile = "localedef -i de_DE -f UTF-8 '" + (locales.path / "de_DE.UTF-8").string() + "'";
        ASSERT_EQ(std::system(compile.c_str()), 0) << "localedef (package locales) could not compile de_DE";
        setenv("LOCPATH", locales.path.c_str(), 1);
        ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    }
    char probe[32];
    std::snprintf(probe, sizeof probe, "%f", 0.5);
    const std::string localised = probe, tint = FormatTint({0.25f, 1.0f, -2.0f});
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> values = {1.0f, -0.25f, 0.1f, 2.5e-7f, 7.5e-7f, 123456789.0f, 3.1415926f, -1234.5678f,
                                       0.675f, 1e10f, inf, -inf, nan, -nan};
    std::vector<std::string> ours;
    for (float v : values) ours.push_back(FormatFloat(v));
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(localised, "0,500000");  // the locale really is in force
    for (size_t i = 0; i < values.size(); ++i) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%f", static_cast<double>(values[i]));
        EXPECT_EQ(ours[i], expected) << values[i];
    }
    EXPECT_EQ(ours[2], "0.100000");  // 0.1f widened to double is 0.100000001490116...
    EXPECT_EQ(tint, "float3(0.250000,1.000000,-2.000000)");
}

TEST(Definitions, SwitchesDecideTheEntriesAndTheSourceListsThemLastFirst) {
    const ShaderSettings off = Switches(false);
    EXPECT_TRUE(BuildDefinitionList(u"DeferredDirectional", off).empty());
    // Lights, bloom, FXAA and sky get their values whatever the switches.
    const DefinitionList point = BuildDefinitionList(u"DeferredPoint", off);
    EXPECT_EQ(point, (DefinitionList{"MOX_PointLightIntensityMultiplier 1.000000",
                                     "MOX_PointLightSpecularIntensityMultiplier 1.000000",
                                     "MOX_PointLightColorTint float3(1.000000,1.000000,1.000000)"}));

    // The flora's outer switch governs the inner ones.
    ShaderSettings s = Switches(true);
    s.ProceduralFloraEnhancements = false;
    EXPECT_TRUE(BuildDefinitionList(u"ProcFlora", s).empty());
    s.ProceduralFloraEnhancements = true;
    s.ProceduralFloraClumpSizeRandomization = false;
    s.ProceduralFloraRenderDistance = 75.5f;
    EXPECT_EQ(BuildDefinitionList(u"ProcFlora", s),
              (DefinitionList{"MOX_PROCFLORAENHANCEMENTS", "MOX_ProcFloraSway",
                              "MOX_ProcFloraRenderDistance 75.500000"}));
    // The plain view-facing flora keeps its own amplitude defaults.
    EXPECT_EQ(BuildDefinitionList(u"TrainViewFacingFlora", s), DefinitionList{"MOX_2DVEGETATIONSHADINGENHANCEMENTS"});

    EXPECT_EQ(BuildEffectSource("float4 main() : COLOR { return 0; }\n", point),
              "#define MOX_PointLightColorTint float3(1.000000,1.000000,1.000000)\n"
              "#define MOX_PointLightSpecularIntensityMultiplier 1.000000\n"
              "#define MOX_PointLightIntensityMultiplier 1.000000\n"
              "\n"
              "float4 main() : COLOR { return 0; }\n");
    EXPECT_EQ(BuildEffectSource("// \xc2\xa9\n", {}), "\n// \xc2\xa9\n");  // other bytes pass unchanged
}

TEST(Definitions, EveryEffectGetsTheDefinitionsItAlwaysGotInEveryCheckedConfiguration) {
    // The first 16 hex digits of the SHA-256 of the effect's source heads
    // under each of the checked settings, one after the other: what the
    // definitions were when the parameter table took them over.
    const std::map<std::string, std::string> expected = {
        {"DeferredDirectional", "fa0ecaa30a893ebe"}, {"PostDepthOfField", "8392be709957a8a3"},
        {"PostTrainVolumetricFog", "77d216ee5abd9340"}, {"ProcFlora", "d4804db597367466"},
        {"Rain", "938b287fe05f979d"}, {"DeferredPoint", "27255ee6b4d4d7ec"},
        {"DeferredSpot", "294deff40b988e83"}, {"PostTrainLightGlow", "d051993401180b7f"},
        {"TrainGlass", "15f1fa59c7855f54"}, {"TrainGlassWeatherEffects", "5da267d767fdae5f"},
        {"PostProcessFXAA", "8f52c858c2c2d98e"}, {"TrainViewFacingFlora", "72c2704aefdd543f"},
        {"TrainUprightViewFacingFlora", "61ccef8cce1b596a"}, {"Train_post_bloom", "1f781f000ca0dee5"},
        {"TrainSkyDome", "3542a808503da743"},
    };
    const std::vector<std::pair<std::string, ShaderSettings>> configurations = CheckedSettings();
    std::map<std::string, std::string> digests;
    for (const std::string& effect : EffectNames()) {
        std::string heads;
        for (const auto& [name, settings] : configurations)
            heads += BuildEffectSource("", BuildDefinitionList(Utf8ToWide(effect), settings));
        digests[effect] = Sha256Hex(heads).substr(0, 16);
    }
    EXPECT_EQ(digests, expected);
}

TEST(Definitions, EachIsNamedInTheTemplatesItFeedsAndTheOrdersNameOnlyWhatFeedsTheirEffect) {
    // The glass fix goes to both glass effects; only the rain glass reads it.
    const std::set<std::pair<std::string, std::string>> unread = {{"MOX_OVERTINTEDGLASSFIX", "TrainGlass"}};
    static const std::regex include(R"re(#include\s+"([^"]+)")re");
    for (const ParamDesc& p : ShaderParamTable()) {
        for (const char16_t* fed : p.effects) {
            if (!fed) continue;
            const ShaderTemplate* effect = FindShaderTemplate(fed);
            ASSERT_NE(effect, nullptr) << p.name << " feeds " << WideToUtf8(fed) << ", which is no effect";
            ASSERT_NE(p.definition, nullptr) << p.name;
            // The effect's own text and the headers it includes.
            const std::string own(effect->text);
            std::string text = own;
            for (std::sregex_iterator it(own.begin(), own.end(), include), end; it != end; ++it)
                if (const ShaderTemplate* header = FindShaderTemplate(Utf8ToWide((*it)[1]))) text += header->text;
            const std::string where = std::string(p.definition) + " in " + WideToUtf8(fed);
            const bool named = std::regex_search(text, std::regex("\\b" + std::string(p.definition) + "\\b"));
            EXPECT_EQ(named, !unread.count({p.definition, WideToUtf8(fed)})) << where;
        }
    }
    for (const std::string& effect : EffectNames()) {
        for (const char* name : DefinitionsFirst(Utf8ToWide(effect))) {
            const ParamDesc* p = FindParam(name);
            EXPECT_TRUE(p && Feeds(*p, Utf8ToWide(effect))) << name << " does not feed " << effect;
        }
    }
}
