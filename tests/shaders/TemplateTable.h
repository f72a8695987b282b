#pragma once
// What the game and the install rely on in each template: the technique
// names, the includes, the value hooks with their defaults and the switches.
#include <set>
#include <string>
#include <vector>

struct Hook {
    const char* name;
    const char* value;
};

struct EffectRow {
    const char* name;
    std::vector<std::string> techniques;
    std::vector<std::string> includes;
    std::vector<Hook> hooks;
    std::vector<std::string> switches;  // read by the effect or one of its headers
};

struct HeaderRow {
    const char* name;
    std::vector<std::string> includes;
    std::vector<std::string> switches;
};

inline const std::vector<HeaderRow> kHeaders = {
    {"ViewportFns.fxh", {}, {}},
    {"CommonFns.fxh", {}, {"USE_HALF_PRECISION"}},
    {"DeferredFns.fxh", {}, {}},
    {"ShadowFns.fxh", {}, {"MOX_SUNSHADOWSENHANCEMENTS"}},
    {"MOX_Fns.fxh", {"MOX_Defines.fxh"}, {}},
    {"MOX_Defines.fxh", {}, {}},
    {"FogFns.fxh", {}, {"MOX_FOGENHANCEMENTS"}},
    {"DepthFns.fxh", {"DeferredFns.fxh"}, {}},
    {"OcclusionVolumeFns.fxh", {}, {}},
    {"FXAA3_11.fxh", {}, {}},
};

inline const std::vector<EffectRow> kEffects = {
    {"DeferredDirectional",
     {"DeferredDirectionalHemispehericLighting", "DeferredDirectionalLighting"},
     {"CommonFns.fxh", "DeferredFns.fxh", "ShadowFns.fxh", "MOX_Fns.fxh"},
     {{"MOX_SSAOIntensity", "1.0"},
      {"MOX_ReflectionsIntensity", "1.0"},
      {"MOX_ReflectionsColorDesaturation", "0.5"}},
     {"MOX_SSAO", "MOX_REFLECTIONSENHANCEMENTS", "MOX_DISABLECLOUDSSHADOWS", "MOX_SUNSHADOWSENHANCEMENTS"}},
    {"PostDepthOfField", {"DepthOfField"}, {"DeferredFns.fxh"}, {{"MOX_DOFNearPlane", "1000.0"}}, {"MOX_DOFENHANCEMENTS"}},
    {"PostTrainVolumetricFog",
     {"HIGH", "LOW"},
     {"DeferredFns.fxh", "FogFns.fxh"},
     {{"MOX_FogDensityMultiplier", "1.0"}, {"MOX_FogBrightness", "1.0"}, {"MOX_FogColorDesaturation", "0.25"}},
     {"MOX_FOGENHANCEMENTS"}},
    {"ProcFlora",
     {"LOW"},
     {"CommonFns.fxh", "DepthFns.fxh", "MOX_Fns.fxh"},
     {{"MOX_ProcFloraRandomSizeMultiplier", "1.0"}, {"MOX_ProcFloraRenderDistance", "50.0"}},
     {"MOX_PROCFLORAENHANCEMENTS", "MOX_ProcFloraClumpSizeRandomization", "MOX_ProcFloraSway"}},
    {"Rain",
     {"LOW"},
     {"CommonFns.fxh"},
     {{"MOX_WeatherEffectsRandomRainSnowMinimumOpacity", "0.75"}},
     {"MOX_WEATHEREFFECTSENHANCEMENTS"}},
    {"DeferredPoint",
     {"DeferredPointLightingSphere", "DeferredPointLightingSphereShadow", "DeferredPointLightingInstanced"},
     {"CommonFns.fxh", "DeferredFns.fxh", "ShadowFns.fxh"},
     {{"MOX_PointLightIntensityMultiplier", "1.0"},
      {"MOX_PointLightSpecularIntensityMultiplier", "1.0"},
      {"MOX_PointLightColorTint", "float3(1.0, 1.0, 1.0)"}},
     {"MOX_NOPOINTSHADOWS", "MOX_NOSPOTPOINTSPECULAR"}},
    {"DeferredSpot",
     {"DeferredSpotLightingCone", "DeferredSpotLightingConeShadow", "DeferredSpotLightingInstanced"},
     {"CommonFns.fxh", "DeferredFns.fxh", "ShadowFns.fxh"},
     {{"MOX_SpotLightIntensityMultiplier", "1.0"},
      {"MOX_SpotLightSpecularIntensityMultiplier", "1.0"},
      {"MOX_SpotLightColorTint", "float3(1.0, 1.0, 1.0)"}},
     {"MOX_NOSPOTSHADOWS", "MOX_NOSPOTPOINTSPECULAR"}},
    {"PostTrainLightGlow",
     {"HIGH", "MEDIUM", "LOW"},
     {"DeferredFns.fxh"},
     {{"MOX_LightGlowColorTint", "float3(1.0, 1.0, 1.0)"}},
     {"MOX_LIGHTGLOWENHANCEMENTS"}},
    {"TrainGlass",
     {"DEFERRED", "HIGH", "MEDIUM", "LOW"},
     {"CommonFns.fxh", "DeferredFns.fxh", "DepthFns.fxh", "ShadowFns.fxh", "FogFns.fxh", "OcclusionVolumeFns.fxh"},
     {{"MOX_GlassReflectionsIntensity", "1.0"}, {"MOX_GlassReflectionsColorDesaturation", "0.25"}},
     {"MOX_GLASSRENDERINGENHANCEMENTS"}},
    {"TrainGlassWeatherEffects",
     {"DEFERRED", "HIGH_DEPTH", "MEDIUM"},
     {"CommonFns.fxh", "DeferredFns.fxh", "DepthFns.fxh", "ShadowFns.fxh", "OcclusionVolumeFns.fxh",
      "ViewportFns.fxh"},
     {},
     {"MOX_OVERTINTEDGLASSFIX"}},
    {"PostProcessFXAA", {"FXAA"}, {"FXAA3_11.fxh"}, {{"MOX_FXAAEdgeBluringIntensity", "0.5"}}, {"MOX_FXAAFIX"}},
    {"TrainViewFacingFlora",
     {"DEFERRED", "DEFERRED_INSTANCED", "LOW", "LOW_INSTANCED"},
     {"CommonFns.fxh", "DeferredFns.fxh", "MOX_Defines.fxh", "MOX_Fns.fxh"},
     {{"MOX_VegetationMaxColorVariationAmplitude", "0.25"}, {"MOX_VegetationMaxBrightnessVariationAmplitude", "0.20"}},
     {"MOX_2DVEGETATIONSHADINGENHANCEMENTS"}},
    {"TrainUprightViewFacingFlora",
     {"DEFERRED", "DEFERRED_INSTANCED", "LOW", "LOW_INSTANCED"},
     {"CommonFns.fxh", "DeferredFns.fxh", "MOX_Defines.fxh", "MOX_Fns.fxh"},
     {{"MOX_VegetationMaxColorVariationAmplitude", "0.25"}, {"MOX_VegetationMaxBrightnessVariationAmplitude", "0.20"}},
     {"MOX_2DVEGETATIONSHADINGENHANCEMENTS"}},
    {"Train_post_bloom",
     {"AdaptiveBloom"},
     {},
     {{"MOX_HDRExposure", "1.0"},
      {"MOX_BloomIntensity", "1.0"},
      {"MOX_BloomColorDesaturation", "0.25"},
      {"MOX_Gamma", "1.0"},
      {"MOX_ImageSharpness", "1.0"},
      {"MOX_ImageContrast", "1.0"},
      {"MOX_ColorVibrance", "0.15"},
      {"MOX_ImageGrayLevel", "0.0"},
      {"MOX_ImageSepiaLevel", "0.0"}},
     {"MOX_COLORBANDINGFIX"}},
    {"TrainSkyDome",
     {"DEFERRED", "LOW", "FALLBACK"},
     {"CommonFns.fxh"},
     {{"MOX_SkySunSizeMultiplier", "1.0"}, {"MOX_SkyBrightnessMultiplier", "1.0"}},
     {}},
};

// Techniques the fallback macros of CommonFns.fxh declare.
inline const std::set<std::string> kFallbackTechniques = {"FVF_FALLBACK", "FVF_FALLBACK_WITH_ALPHA"};
