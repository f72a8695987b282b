#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cmath>
#include <limits>
#include <string>

#include "app/Text.h"
#include "settings/SettingsTable.h"
#include "shaders/Definitions.h"

namespace {

ShaderSettings AllSwitchesOff() {
    ShaderSettings s;
    for (const ParamDesc& p : ShaderParamTable()) {
        if (p.kind == ParamKind::Bool) s.*p.boolField = false;
    }
    return s;
}

ShaderSettings AllSwitchesOn() {
    ShaderSettings s;
    for (const ParamDesc& p : ShaderParamTable()) {
        if (p.kind == ParamKind::Bool) s.*p.boolField = true;
    }
    return s;
}

const char16_t* const kEffects[] = {
    u"DeferredDirectional",      u"PostDepthOfField",   u"PostTrainVolumetricFog",
    u"ProcFlora",                u"Rain",               u"DeferredPoint",
    u"DeferredSpot",             u"PostTrainLightGlow", u"TrainGlass",
    u"TrainGlassWeatherEffects", u"PostProcessFXAA",    u"TrainViewFacingFlora",
    u"TrainUprightViewFacingFlora", u"Train_post_bloom", u"TrainSkyDome",
};

}  // namespace

TEST(FormatFloat, FixedSixDecimalsLikePrintf) {
    EXPECT_EQ(FormatFloat(1.0f), "1.000000");
    EXPECT_EQ(FormatFloat(0.75f), "0.750000");
    EXPECT_EQ(FormatFloat(-0.25f), "-0.250000");
    EXPECT_EQ(FormatFloat(-0.5f), "-0.500000");
    EXPECT_EQ(FormatFloat(500.0f), "500.000000");
    EXPECT_EQ(FormatFloat(1000.0f), "1000.000000");
    EXPECT_EQ(FormatFloat(0.0f), "0.000000");
    // Widened to double first: 0.1f is 0.100000001490116...
    EXPECT_EQ(FormatFloat(0.1f), "0.100000");
    EXPECT_EQ(FormatFloat(2.5e-7f), "0.000000");
    EXPECT_EQ(FormatFloat(7.5e-7f), "0.000001");
    EXPECT_EQ(FormatFloat(123456789.0f), "123456792.000000");
    EXPECT_EQ(FormatFloat(std::numeric_limits<float>::infinity()), "inf");
    EXPECT_EQ(FormatFloat(-std::numeric_limits<float>::infinity()), "-inf");
    EXPECT_EQ(FormatFloat(std::numeric_limits<float>::quiet_NaN()), "nan");
    EXPECT_EQ(FormatFloat(-std::numeric_limits<float>::quiet_NaN()), "-nan");
    // Agrees with the C library's "%f" across the range the settings use.
    for (float v : {3.1415926f, -1234.5678f, 0.675f, 1e10f, -1e-3f, 0.0000005f}) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%f", static_cast<double>(v));
        EXPECT_EQ(FormatFloat(v), expected) << v;
    }

    EXPECT_EQ(FormatTint({1.0f, 0.5f, 0.0f}), "float3(1.000000,0.500000,0.000000)");
}

TEST(FormatFloat, PointEvenUnderACommaLocale) {
    const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (!german) german = std::setlocale(LC_ALL, "de_DE.utf8");
    if (!german) GTEST_SKIP() << "no comma locale installed; locale part skipped";
    char probe[32];
    std::snprintf(probe, sizeof probe, "%f", 0.5);
    const std::string localised = probe;
    const std::string ours = FormatFloat(0.5f);
    const std::string tint = FormatTint({0.25f, 1.0f, -2.0f});
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(localised, "0,500000");  // the locale really is in force
    EXPECT_EQ(ours, "0.500000");
    EXPECT_EQ(tint, "float3(0.250000,1.000000,-2.000000)");
}

TEST(DefinitionList, AllSwitchesOffLeavesOnlyTheUnconditionalEntries) {
    const ShaderSettings s = AllSwitchesOff();
    for (const char16_t* empty : {u"DeferredDirectional", u"PostDepthOfField", u"PostTrainVolumetricFog",
                                  u"ProcFlora", u"Rain", u"PostTrainLightGlow", u"TrainGlass",
                                  u"TrainGlassWeatherEffects", u"TrainViewFacingFlora",
                                  u"TrainUprightViewFacingFlora"}) {
        EXPECT_TRUE(BuildDefinitionList(empty, s).empty()) << WideToUtf8(empty);
    }
    EXPECT_EQ(BuildDefinitionList(u"DeferredPoint", s),
              (DefinitionList{"MOX_PointLightIntensityMultiplier 1.000000",
                              "MOX_PointLightSpecularIntensityMultiplier 1.000000",
                              "MOX_PointLightColorTint float3(1.000000,1.000000,1.000000)"}));
    EXPECT_EQ(BuildDefinitionList(u"DeferredSpot", s),
              (DefinitionList{"MOX_SpotLightIntensityMultiplier 1.000000",
                              "MOX_SpotLightSpecularIntensityMultiplier 1.000000",
                              "MOX_SpotLightColorTint float3(1.000000,1.000000,1.000000)"}));
    EXPECT_EQ(BuildDefinitionList(u"PostProcessFXAA", s), (DefinitionList{"MOX_FXAAEdgeBluringIntensity 0.750000"}));
    EXPECT_EQ(BuildDefinitionList(u"TrainSkyDome", s),
              (DefinitionList{"MOX_SkySunSizeMultiplier 1.000000", "MOX_SkyBrightnessMultiplier 1.000000"}));
    EXPECT_EQ(BuildDefinitionList(u"Train_post_bloom", s).size(), 9u);
    EXPECT_TRUE(BuildDefinitionList(u"NotAnEffect", AllSwitchesOn()).empty());
}

TEST(DefinitionList, EverySwitchOnInAppendOrder) {
    ShaderSettings s = AllSwitchesOn();
    s.SSAOIntensity = 0.5f;
    s.ColorVibrance = -0.5f;
    s.DOFNearPlane = 1000.0f;
    s.LightGlowColorTint = {0.25f, 0.5f, 1.0f};
    EXPECT_EQ(BuildDefinitionList(u"DeferredDirectional", s),
              (DefinitionList{"MOX_SUNSHADOWSENHANCEMENTS", "MOX_DISABLECLOUDSSHADOWS", "MOX_SSAO",
                              "MOX_SSAOIntensity 0.500000", "MOX_REFLECTIONSENHANCEMENTS",
                              "MOX_ReflectionsIntensity 1.000000", "MOX_ReflectionsColorDesaturation 0.500000"}));
    EXPECT_EQ(BuildDefinitionList(u"PostDepthOfField", s),
              (DefinitionList{"MOX_DOFENHANCEMENTS", "MOX_DOFNearPlane 1000.000000"}));
    EXPECT_EQ(BuildDefinitionList(u"PostTrainVolumetricFog", s),
              (DefinitionList{"MOX_FOGENHANCEMENTS", "MOX_FogDensityMultiplier 1.000000", "MOX_FogBrightness 1.000000",
                              "MOX_FogColorDesaturation 0.250000"}));
    EXPECT_EQ(BuildDefinitionList(u"ProcFlora", s),
              (DefinitionList{"MOX_PROCFLORAENHANCEMENTS", "MOX_ProcFloraSway", "MOX_ProcFloraClumpSizeRandomization",
                              "MOX_ProcFloraRandomSizeMultiplier 1.000000", "MOX_ProcFloraRenderDistance 50.000000"}));
    EXPECT_EQ(BuildDefinitionList(u"Rain", s),
              (DefinitionList{"MOX_WEATHEREFFECTSENHANCEMENTS", "MOX_WeatherEffectsRandomRainSnowMinimumOpacity 0.750000"}));
    EXPECT_EQ(BuildDefinitionList(u"DeferredPoint", s).front(), "MOX_NOPOINTSHADOWS");
    EXPECT_EQ(BuildDefinitionList(u"DeferredPoint", s)[1], "MOX_NOSPOTPOINTSPECULAR");
    EXPECT_EQ(BuildDefinitionList(u"DeferredSpot", s).front(), "MOX_NOSPOTSHADOWS");
    EXPECT_EQ(BuildDefinitionList(u"DeferredSpot", s)[1], "MOX_NOSPOTPOINTSPECULAR");
    EXPECT_EQ(BuildDefinitionList(u"PostTrainLightGlow", s),
              (DefinitionList{"MOX_LIGHTGLOWENHANCEMENTS", "MOX_LightGlowColorTint float3(0.250000,0.500000,1.000000)"}));
    EXPECT_EQ(BuildDefinitionList(u"TrainGlass", s),
              (DefinitionList{"MOX_GLASSRENDERINGENHANCEMENTS", "MOX_GlassReflectionsIntensity 1.000000",
                              "MOX_GlassReflectionsColorDesaturation 0.250000", "MOX_OVERTINTEDGLASSFIX"}));
    EXPECT_EQ(BuildDefinitionList(u"TrainGlassWeatherEffects", s), (DefinitionList{"MOX_OVERTINTEDGLASSFIX"}));
    EXPECT_EQ(BuildDefinitionList(u"PostProcessFXAA", s),
              (DefinitionList{"MOX_FXAAFIX", "MOX_FXAAEdgeBluringIntensity 0.750000"}));
    // The plain view-facing flora keeps its own amplitude defaults.
    EXPECT_EQ(BuildDefinitionList(u"TrainViewFacingFlora", s), (DefinitionList{"MOX_2DVEGETATIONSHADINGENHANCEMENTS"}));
    EXPECT_EQ(BuildDefinitionList(u"TrainUprightViewFacingFlora", s),
              (DefinitionList{"MOX_2DVEGETATIONSHADINGENHANCEMENTS", "MOX_VegetationMaxColorVariationAmplitude 0.250000",
                              "MOX_VegetationMaxBrightnessVariationAmplitude 0.200000"}));
    EXPECT_EQ(BuildDefinitionList(u"Train_post_bloom", s),
              (DefinitionList{"MOX_HDRExposure 1.000000", "MOX_BloomIntensity 1.000000",
                              "MOX_BloomColorDesaturation 0.250000", "MOX_Gamma 1.000000", "MOX_ImageSharpness 1.000000",
                              "MOX_ImageContrast 1.000000", "MOX_ColorVibrance -0.500000", "MOX_ImageGrayLevel 0.000000",
                              "MOX_ImageSepiaLevel 0.000000", "MOX_COLORBANDINGFIX"}));
}

TEST(DefinitionList, FloraOuterSwitchGovernsTheInnerOnes) {
    ShaderSettings s = AllSwitchesOn();
    s.ProceduralFloraEnhancements = false;
    EXPECT_TRUE(BuildDefinitionList(u"ProcFlora", s).empty());
    s.ProceduralFloraEnhancements = true;
    s.ProceduralFloraSway = false;
    s.ProceduralFloraClumpSizeRandomization = false;
    s.ProceduralFloraRenderDistance = 75.5f;
    EXPECT_EQ(BuildDefinitionList(u"ProcFlora", s),
              (DefinitionList{"MOX_PROCFLORAENHANCEMENTS", "MOX_ProcFloraRenderDistance 75.500000"}));
}

TEST(EffectSource, DefinitionsReversedThenOneEmptyLine) {
    ShaderSettings s = AllSwitchesOff();
    const std::string source = BuildEffectSource("float4 main() : COLOR { return 0; }\n",
                                                 BuildDefinitionList(u"DeferredPoint", s));
    EXPECT_EQ(source,
              "#define MOX_PointLightColorTint float3(1.000000,1.000000,1.000000)\n"
              "#define MOX_PointLightSpecularIntensityMultiplier 1.000000\n"
              "#define MOX_PointLightIntensityMultiplier 1.000000\n"
              "\n"
              "float4 main() : COLOR { return 0; }\n");
    EXPECT_EQ(BuildEffectSource("body", {}), "\nbody");
    EXPECT_EQ(BuildEffectSource("", {"A", "B 1"}), "#define B 1\n#define A\n\n");
    // Template bytes outside ASCII pass through unchanged.
    EXPECT_EQ(BuildEffectSource("// \xc2\xa9\n", {}), "\n// \xc2\xa9\n");
    // Every effect name is known: with every switch on each one writes something.
    for (const char16_t* effect : kEffects) {
        EXPECT_FALSE(BuildDefinitionList(effect, AllSwitchesOn()).empty());
    }
}
