#include <cstring>
#include <new>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"

TEST(SettingsModel, TableCoversEveryFieldOnceWithTheDocumentedDefaults) {
    const auto table = ShaderParamTable();
    ASSERT_EQ(table.size(), 54u);
    std::set<std::string> names;
    for (const ParamDesc& param : table) names.insert(param.name);
    EXPECT_EQ(names.size(), 54u);
    EXPECT_STREQ(table.front().name, "SSAO");
    EXPECT_STREQ(table.back().name, "ColorBandingFix");

    // Construction over two different garbage fillings must give equal
    // records: a field the table forgot would keep its garbage.
    alignas(ShaderSettings) unsigned char a[sizeof(ShaderSettings)];
    alignas(ShaderSettings) unsigned char b[sizeof(ShaderSettings)];
    std::memset(a, 0x00, sizeof a);
    std::memset(b, 0x5A, sizeof b);
    auto* fromZero = new (a) ShaderSettings();
    auto* fromJunk = new (b) ShaderSettings();
    EXPECT_TRUE(*fromZero == *fromJunk);

    const Settings fresh;
    EXPECT_EQ(fresh.Language, 0u);
    EXPECT_TRUE(fresh.HelpIcons);
    EXPECT_TRUE(fresh.TSPath.empty());
    EXPECT_FALSE(fresh.ShadersInstallOK);
    EXPECT_TRUE(fresh.ShadersVersion.empty());
    EXPECT_FALSE(fresh.NeedShadersUpdate);
    const ShaderSettings& s = fresh.Shader;
    EXPECT_TRUE(s.SSAO);
    EXPECT_FALSE(s.SunShadowsEnhancements);
    EXPECT_FALSE(s.DisableCloudsShadows);
    EXPECT_FLOAT_EQ(s.DOFNearPlane, 500.0f);
    EXPECT_FLOAT_EQ(s.FXAAEdgeBluringIntensity, 0.75f);
    EXPECT_FLOAT_EQ(s.ProceduralFloraRenderDistance, 50.0f);
    EXPECT_EQ(s.VegetationMaxBrightnessVariationAmplitude, 0.2f);
    EXPECT_FLOAT_EQ(s.ColorVibrance, 0.0f);
    EXPECT_EQ(s.LightGlowColorTint, (ColorTint{1, 1, 1}));
}

TEST(SettingsModel, RestoreShaderDefaultsTouchesOnlyTheShaderBlock) {
    Settings settings;
    settings.Language = 2;
    settings.HelpIcons = false;
    settings.TSPath = u"C:\\Games\\RailWorks";
    settings.ShadersInstallOK = true;
    settings.ShadersVersion = u"1.03";
    settings.Shader.SSAOIntensity = 1.7f;
    settings.Shader.DisableCloudsShadows = true;
    settings.Shader.SpotLightColorTint = {0.1f, 0.2f, 0.3f};
    settings.Shader.DOFNearPlane = 5000.0f;  // out of the slider range: kept as it is
    EXPECT_FLOAT_EQ(settings.Shader.DOFNearPlane, 5000.0f);

    settings.RestoreShaderDefaults();
    EXPECT_TRUE(settings.Shader == ShaderSettings());
    EXPECT_TRUE(settings.NeedShadersUpdate);
    EXPECT_EQ(settings.Language, 2u);
    EXPECT_FALSE(settings.HelpIcons);
    EXPECT_EQ(settings.TSPath, u"C:\\Games\\RailWorks");
    EXPECT_TRUE(settings.ShadersInstallOK);
    EXPECT_EQ(settings.ShadersVersion, u"1.03");
}

TEST(SettingsModel, OutOfDateRule) {
    Settings settings;
    EXPECT_TRUE(settings.ShadersOutdated());  // empty version
    settings.ShadersVersion = APP_VERSION;
    EXPECT_FALSE(settings.ShadersOutdated());
    settings.RequestShadersUpdate();
    EXPECT_TRUE(settings.ShadersOutdated());
    settings.NeedShadersUpdate = false;
    settings.ShadersVersion = u"1.04a";
    EXPECT_TRUE(settings.ShadersOutdated());
    settings.ShadersVersion = u"1.04";
    EXPECT_FALSE(settings.ShadersOutdated());
}
