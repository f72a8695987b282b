// The parameter table as the parameters tab relies on it.
#include <numeric>

#include "settings/SettingsTable.h"
#include "tests/support/TestEnv.h"

TEST(ParameterTable, SlidersOfferTheRangesOfTheInterfaceAroundTheirDefaults) {
    // The ranges the interface has always offered, written out once.
    const std::map<std::pair<float, float>, std::set<std::string>> expected = {
        {{0, 2},
         {"SSAOIntensity", "ReflectionsIntensity", "PointLightIntensityMultiplier", "SpotLightIntensityMultiplier",
          "PointLightSpecularIntensityMultiplier", "SpotLightSpecularIntensityMultiplier", "FogBrightness",
          "FogDensityMultiplier", "SkyBrightnessMultiplier", "SkySunSizeMultiplier", "GlassReflectionsIntensity",
          "BloomIntensity", "Gamma", "ImageSharpness", "ImageContrast"}},
        {{0, 1},
         {"ReflectionsColorDesaturation", "FXAAEdgeBluringIntensity", "FogColorDesaturation",
          "WeatherEffectsRandomRainSnowMinimumOpacity", "GlassReflectionsColorDesaturation",
          "VegetationMaxColorVariationAmplitude", "BloomColorDesaturation", "ImageGrayLevel", "ImageSepiaLevel"}},
        {{1, 1000}, {"DOFNearPlane"}},
        {{0.25f, 2}, {"ProceduralFloraRandomSizeMultiplier"}},
        {{0, 50}, {"ProceduralFloraRenderDistance"}},
        {{0, 0.5f}, {"VegetationMaxBrightnessVariationAmplitude"}},
        {{0.5f, 2}, {"HDRExposure"}},
        {{-0.5f, 0.5f}, {"ColorVibrance"}},
    };
    std::map<std::pair<float, float>, std::set<std::string>> ranges;
    for (const ParamDesc& p : ShaderParamTable()) {
        if (p.kind != ParamKind::Float) continue;
        ranges[{p.min, p.max}].insert(p.name);
        EXPECT_TRUE(p.min <= p.defaultFloat && p.defaultFloat <= p.max) << p.name;
    }
    EXPECT_EQ(ranges, expected);
}

TEST(ParameterTable, EveryControlHasASectionAPlaceTextsItsOwnIdentityAndASwitchWithAControl) {
    std::map<std::string, std::vector<int>> places;
    std::set<std::string> identities;
    for (const ParamDesc& p : ShaderParamTable()) {
        if (!p.section) {
            EXPECT_STREQ(p.name, "DisableCloudsShadows");  // the only one without a control
            continue;
        }
        places[p.section].push_back(p.place);
        ASSERT_TRUE(p.label && p.help && p.helpId) << p.name;
        EXPECT_TRUE(identities.insert(p.helpId).second) << p.name << " shares " << p.helpId;
        // A switch without a control would hide its dependants for good.
        const ParamDesc* on = SwitchOf(p);
        EXPECT_EQ(on != nullptr, p.switchedBy != nullptr) << p.name;
        EXPECT_TRUE(!on || on->section) << p.name;
    }
    for (const ParamSection& section : ParamSections()) {
        std::vector<int> found = places[section.key], counted(found.size());
        std::sort(found.begin(), found.end());
        std::iota(counted.begin(), counted.end(), 1);
        EXPECT_FALSE(found.empty()) << section.key;
        EXPECT_EQ(found, counted) << section.key;
    }
    EXPECT_EQ(places.size(), ParamSections().size());  // no row in a section that is not drawn
}
