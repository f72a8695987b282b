#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "tests/support/TestEnv.h"

namespace {
std::u16string Wide(const fs::path& p) { return Utf8ToWide(p.string()); }

// A record with every field moved away from its default.
Settings EveryFieldChanged() {
    Settings s;
    s.Language = 2;
    s.HelpIcons = false;
    s.TSPath = u"/games/Rail Works/\u00E9t\u00E9";
    s.ShadersInstallOK = true;
    s.ShadersVersion = u"1.03";
    s.NeedShadersUpdate = true;
    int i = 0;
    for (const ParamDesc& p : ShaderParamTable()) {
        ++i;
        switch (p.kind) {
            case ParamKind::Bool: s.Shader.*p.boolField = !p.defaultBool; break;
            case ParamKind::Float: s.Shader.*p.floatField = p.defaultFloat * 0.5f + 0.1f * i - 3.0f; break;
            case ParamKind::Tint: s.Shader.*p.tintField = {0.125f * i, 0.2f, -1.5f}; break;
        }
    }
    return s;
}

const char* kHeader = "<?xml version=\"1.0\"?>\n";
}  // namespace

TEST(SettingsFile, RoundTripsAFreshAndAFullyChangedRecord) {
    TempDir tmp;
    UseTempAppPaths(tmp);

    const Settings fresh;
    fresh.Save(u"");
    Settings read = EveryFieldChanged();
    read.Load(u"");
    EXPECT_TRUE(read == fresh);

    const Settings changed = EveryFieldChanged();
    changed.Save(u"");
    read = Settings();
    read.Load(u"");
    EXPECT_TRUE(read == changed);

    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{"Saving settings...", "Settings saved", "Reading settings...",
                                                         "Done...", "Saving settings...", "Settings saved",
                                                         "Reading settings...", "Done..."}));
}

TEST(SettingsFile, WrittenInTheKnownLayout) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    Settings s;
    s.TSPath = u"C:\\Rail";
    s.Save(u"");
    const std::string text = ReadText(tmp.path / "pref" / "settings.xml");
    EXPECT_EQ(text.rfind(kHeader, 0), 0u);
    EXPECT_NE(text.find("<Settings>\n\t<Global>\n\t\t<Language value=\"0\" />\n\t\t<HelpIcons value=\"true\" />\n"
                        "\t</Global>\n\t<TSXX>\n\t\t<ShadersVersion value=\"\" />\n"
                        "\t\t<NeedShadersUpdate value=\"false\" />\n\t\t<ShadersInstallOK value=\"false\" />\n"
                        "\t\t<TSPath value=\"C:\\Rail\" />\n\t</TSXX>\n\t<TSXXShaders>\n"
                        "\t\t<SSAO value=\"true\" />\n\t\t<SSAOIntensity value=\"1\" />\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<DOFNearPlane value=\"500\" />"), std::string::npos);
    EXPECT_NE(text.find("<FXAAEdgeBluringIntensity value=\"0.75\" />"), std::string::npos);
    EXPECT_NE(text.find("<VegetationMaxBrightnessVariationAmplitude value=\"0.200000003\" />"), std::string::npos);
    EXPECT_NE(text.find("<PointLightColorTint r=\"1\" g=\"1\" b=\"1\" />"), std::string::npos);
    EXPECT_NE(text.find("\t\t<ColorBandingFix value=\"true\" />\n\t</TSXXShaders>\n</Settings>\n"), std::string::npos);
}

TEST(SettingsFile, ReadingRulesOnHandWrittenFiles) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    WriteText(tmp.path / "pref" / "settings.xml",
              "<Settings><TSXX><TSPath value='D:\\TS' /><ShadersInstallOK value='yes'/>"
              "<NeedShadersUpdate value=' true'/></TSXX>"
              "<TSXXShaders>"
              "<SSAO value='TRUE'/><ReflectionsEnhancements value='no'/><DOFEnhancements value=''/>"
              "<FXAAFix value='0'/><SunShadowsEnhancements value='Y'/><NoPointShadows value='1x'/>"
              "<SSAOIntensity value='1,5'/><ReflectionsIntensity value='abc'/><DOFNearPlane value='2e-1'/>"
              "<FogBrightness/><ColorVibrance value='-3'/><FogDensityMultiplier value='5000'/>"
              "<LightGlowColorTint r='0.5'/>"
              "</TSXXShaders></Settings>");
    Settings s = EveryFieldChanged();
    s.Load(u"");
    EXPECT_EQ(s.Language, 0u);        // no Global group: defaults
    EXPECT_TRUE(s.HelpIcons);
    EXPECT_TRUE(s.ShadersVersion.empty());
    EXPECT_EQ(s.TSPath, u"D:\\TS");
    EXPECT_TRUE(s.ShadersInstallOK);
    EXPECT_FALSE(s.NeedShadersUpdate);  // leading space reads as false
    EXPECT_TRUE(s.Shader.SSAO);
    EXPECT_FALSE(s.Shader.ReflectionsEnhancements);
    EXPECT_FALSE(s.Shader.DOFEnhancements);
    EXPECT_FALSE(s.Shader.FXAAFix);
    EXPECT_TRUE(s.Shader.SunShadowsEnhancements);
    EXPECT_TRUE(s.Shader.NoPointShadows);
    EXPECT_EQ(s.Shader.SSAOIntensity, 1.0f);
    EXPECT_EQ(s.Shader.ReflectionsIntensity, 0.0f);
    EXPECT_EQ(s.Shader.DOFNearPlane, 0.2f);
    EXPECT_EQ(s.Shader.FogBrightness, 1.0f);   // element without attribute: default
    EXPECT_EQ(s.Shader.ColorVibrance, -3.0f);  // nothing is clamped
    EXPECT_EQ(s.Shader.FogDensityMultiplier, 5000.0f);
    EXPECT_EQ(s.Shader.LightGlowColorTint, (ColorTint{0.5f, 1.0f, 1.0f}));
    EXPECT_EQ(s.Shader.GlassReflectionsIntensity, 1.0f);  // missing element: default
    EXPECT_FALSE(s.Shader.DisableCloudsShadows);

    WriteText(tmp.path / "pref" / "settings.xml",
              "<Settings><Global><Language value='0x2'/></Global></Settings>");
    s.Load(u"");
    EXPECT_EQ(s.Language, 2u);

    // Any language value, -1 of a hand-edited file included, comes back the
    // same after a save.
    WriteText(tmp.path / "pref" / "settings.xml", "<Settings><Global><Language value='-1'/></Global></Settings>");
    s.Load(u"");
    s.Save(u"");
    Settings reread;
    reread.Load(u"");
    EXPECT_EQ(reread.Language, s.Language);

    // A malformed file keeps what was parsed before the error and defaults the rest.
    WriteText(tmp.path / "pref" / "settings.xml",
              "<Settings><Global><Language value='1'/><HelpIcons value='false'/></Global><TSXX><TSPath val");
    s = EveryFieldChanged();
    s.Load(u"");
    EXPECT_EQ(s.Language, 1u);
    EXPECT_FALSE(s.HelpIcons);
    EXPECT_TRUE(s.TSPath.empty());
    EXPECT_TRUE(s.Shader == ShaderSettings());

    fs::remove(tmp.path / "pref" / "settings.xml");
    s = EveryFieldChanged();
    s.Load(u"");
    EXPECT_TRUE(s == Settings());
}

TEST(SettingsFile, PresetsCarryOnlyTheParameters) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    const std::u16string preset = Wide(tmp.path / "my preset.xml");

    Settings exported = EveryFieldChanged();
    exported.Save(preset);
    const std::string text = ReadText(tmp.path / "my preset.xml");
    EXPECT_EQ(text.rfind(std::string(kHeader) + "<MOXPreset>\n\t<TSXXShaders>\n", 0), 0u);
    EXPECT_EQ(text.find("Global"), std::string::npos);
    EXPECT_EQ(text.find("TSXX>"), std::string::npos);
    EXPECT_FALSE(fs::exists(tmp.path / "pref" / "settings.xml"));

    Settings imported;
    imported.Language = 1;
    imported.TSPath = u"/keep";
    imported.ShadersVersion = u"1.04";
    imported.ShadersInstallOK = true;
    imported.HelpIcons = false;
    imported.Load(preset);
    EXPECT_TRUE(imported.Shader == exported.Shader);
    EXPECT_EQ(imported.Language, 1u);
    EXPECT_EQ(imported.TSPath, u"/keep");
    EXPECT_EQ(imported.ShadersVersion, u"1.04");
    EXPECT_TRUE(imported.ShadersInstallOK);
    EXPECT_FALSE(imported.HelpIcons);
    EXPECT_FALSE(imported.NeedShadersUpdate);

    // A settings file read as a preset has no MOXPreset root: every parameter
    // goes back to its default, the other fields stay.
    exported.Save(u"");
    imported.Load(AppPaths.settingsFile);
    EXPECT_TRUE(imported.Shader == ShaderSettings());
    EXPECT_EQ(imported.TSPath, u"/keep");

    // A preset without SSAOIntensity resets it.
    WriteText(tmp.path / "partial.xml", "<MOXPreset><TSXXShaders><SSAO value='false'/></TSXXShaders></MOXPreset>");
    imported.Shader.SSAOIntensity = 1.9f;
    imported.Load(Wide(tmp.path / "partial.xml"));
    EXPECT_FALSE(imported.Shader.SSAO);
    EXPECT_EQ(imported.Shader.SSAOIntensity, 1.0f);

    // A preset that cannot be written says so (the file layer logs the cause first).
    exported.Save(Wide(tmp.path / "missing" / "p.xml"));
    EXPECT_EQ(ReadLogLines().back(), "Failed to save preset file");
}
