#pragma once
// What the game and the install rely on in each effect template: the
// technique names, the value hooks with their defaults and the switches read
// by the effect or the headers it includes.
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
    std::vector<Hook> hooks;
    std::vector<std::string> switches;
};

inline const std::vector<EffectRow> kEffects = {
    {"DeferredDirectional",
     {"DeferredDirectionalHemispehericLighting", "DeferredDirectionalLighting"},
     {{"MOX_SSAOIntensity", "1.0"},
      {"MOX_ReflectionsIntensity", "1.0"},
      {"MOX_ReflectionsColorDesaturation", "0.5"}},
     {"MOX_SSAO", "MOX_REFLECTIONSENHANCEMENTS", "MOX_DISABLECLOUDSSHADOWS", "MOX_SUNSHADOWSENHANCEMENTS"}},
    {"PostDepthOfField",
     {"DepthOfField"},
     {{"MOX_DOFNearPlane", "1000.0"}},
     {"MOX_DOFENHANCEMENTS"}},
    {"PostTrainVolumetricFog",
     {"HIGH", "LOW"},
     {{"MOX_FogDensityMultiplier", "1.0"}, {"MOX_FogBrightness", "1.0"}, {"MOX_FogColorDesaturation", "0.25"}},
     {"MOX_FOGENHANCEMENTS"}},
    {"ProcFlora",
     {"LOW"},
     {{"MOX_ProcFloraRandomSizeMultiplier", "1.0"}, {"MOX_ProcFloraRenderDistance", "50.0"}},
     {"MOX_PROCFLORAENHANCEMENTS", "MOX_ProcFloraClumpSizeRandomization", "MOX_ProcFloraSway"}},
    {"Rain",
     {"LOW"},
     {{"MOX_WeatherEffectsRandomRainSnowMinimumOpacity", "0.75"}},
     {"MOX_WEATHEREFFECTSENHANCEMENTS"}},
    {"DeferredPoint",
     {"DeferredPointLightingSphere", "DeferredPointLightingSphereShadow", "DeferredPointLightingInstanced"},
     {{"MOX_PointLightIntensityMultiplier", "1.0"},
      {"MOX_PointLightSpecularIntensityMultiplier", "1.0"},
      {"MOX_PointLightColorTint", "float3(1.0, 1.0, 1.0)"}},
     {"MOX_NOPOINTSHADOWS", "MOX_NOSPOTPOINTSPECULAR"}},
    {"DeferredSpot",
     {"DeferredSpotLightingCone", "DeferredSpotLightingConeShadow", "DeferredSpotLightingInstanced"},
     {{"MOX_SpotLightIntensityMultiplier", "1.0"},
      {"MOX_SpotLightSpecularIntensityMultiplier", "1.0"},
      {"MOX_SpotLightColorTint", "float3(1.0, 1.0, 1.0)"}},
     {"MOX_NOSPOTSHADOWS", "MOX_NOSPOTPOINTSPECULAR"}},
    {"PostTrainLightGlow",
     {"HIGH", "MEDIUM", "LOW"},
     {{"MOX_LightGlowColorTint", "float3(1.0, 1.0, 1.0)"}},
     {"MOX_LIGHTGLOWENHANCEMENTS"}},
    {"TrainGlass",
     {"DEFERRED", "HIGH", "MEDIUM", "LOW"},
     {{"MOX_GlassReflectionsIntensity", "1.0"}, {"MOX_GlassReflectionsColorDesaturation", "0.25"}},
     {"MOX_GLASSRENDERINGENHANCEMENTS"}},
    {"TrainGlassWeatherEffects",
     {"DEFERRED", "HIGH_DEPTH", "MEDIUM"},
     {},
     {"MOX_OVERTINTEDGLASSFIX"}},
    {"PostProcessFXAA",
     {"FXAA"},
     {{"MOX_FXAAEdgeBluringIntensity", "0.5"}},
     {"MOX_FXAAFIX"}},
    {"TrainViewFacingFlora",
     {"DEFERRED", "DEFERRED_INSTANCED", "LOW", "LOW_INSTANCED"},
     {{"MOX_VegetationMaxColorVariationAmplitude", "0.25"}, {"MOX_VegetationMaxBrightnessVariationAmplitude", "0.20"}},
     {"MOX_2DVEGETATIONSHADINGENHANCEMENTS"}},
    {"TrainUprightViewFacingFlora",
     {"DEFERRED", "DEFERRED_INSTANCED", "LOW", "LOW_INSTANCED"},
     {{"MOX_VegetationMaxColorVariationAmplitude", "0.25"}, {"MOX_VegetationMaxBrightnessVariationAmplitude", "0.20"}},
     {"MOX_2DVEGETATIONSHADINGENHANCEMENTS"}},
    {"Train_post_bloom",
     {"AdaptiveBloom"},
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
     {{"MOX_SkySunSizeMultiplier", "1.0"}, {"MOX_SkyBrightnessMultiplier", "1.0"}},
     {}},
};

// Techniques the fallback macros of CommonFns.fxh declare.
inline const std::set<std::string> kFallbackTechniques = {"FVF_FALLBACK", "FVF_FALLBACK_WITH_ALPHA"};
