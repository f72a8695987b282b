// The templates the program carries (every file of shaders/templates/ in the
// catalogue, byte for byte, as plain ASCII with LF line ends: the install
// writes them with CR LF) and the definitions written in front of each: values
// as the C library's "%f" writes them, whatever the locale; the rules that
// decide which entries an effect gets. That every setting reaches a template
// that reads it is checked through the compiler (EffectCompileTest.cpp).

#include <clocale>
#include <cstdio>
#include <limits>

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
