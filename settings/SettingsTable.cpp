#include "settings/SettingsTable.h"

#include <array>


#define VANTREL_BOOL(name, value, ...) ParamDesc{#name, ParamKind::Bool, &ShaderSettings::name, nullptr, nullptr, value, 0.0f, __VA_ARGS__}
#define VANTREL_FLOAT(name, value, ...) ParamDesc{#name, ParamKind::Float, nullptr, &ShaderSettings::name, nullptr, false, value, __VA_ARGS__}
#define VANTREL_TINT(name, ...) ParamDesc{#name, ParamKind::Tint, nullptr, nullptr, &ShaderSettings::name, false, 1.0f, __VA_ARGS__}

namespace {
// Settings-file order; the defaults of every parameter live here and only here.
const std::array<ParamDesc, 54> kParams = {
    VANTREL_BOOL(SSAO, true),
    VANTREL_FLOAT(SSAOIntensity, 1.0f),
    VANTREL_BOOL(SunShadowsEnhancements, false),
    VANTREL_BOOL(ReflectionsEnhancements, true),
    VANTREL_FLOAT(ReflectionsIntensity, 1.0f),
    VANTREL_FLOAT(ReflectionsColorDesaturation, 0.5f),
    VANTREL_BOOL(DOFEnhancements, true, PreviewPass::DepthOfField),
    VANTREL_FLOAT(DOFNearPlane, 500.0f, PreviewPass::DepthOfField),
    VANTREL_BOOL(NoPointShadows, false),
    VANTREL_BOOL(NoSpotShadows, false),
    VANTREL_BOOL(NoSpotPointSpecular, false),
    VANTREL_FLOAT(PointLightIntensityMultiplier, 1.0f),
    VANTREL_FLOAT(SpotLightIntensityMultiplier, 1.0f),
    VANTREL_FLOAT(PointLightSpecularIntensityMultiplier, 1.0f),
    VANTREL_FLOAT(SpotLightSpecularIntensityMultiplier, 1.0f),
    VANTREL_TINT(PointLightColorTint),
    VANTREL_TINT(SpotLightColorTint),
    VANTREL_TINT(LightGlowColorTint, PreviewPass::LightGlow),
    VANTREL_BOOL(FXAAFix, true, PreviewPass::EdgeSmoothing),
    VANTREL_FLOAT(FXAAEdgeBluringIntensity, 0.75f, PreviewPass::EdgeSmoothing),
    VANTREL_BOOL(FogEnhancements, true, PreviewPass::Fog),
    VANTREL_FLOAT(FogBrightness, 1.0f, PreviewPass::Fog),
    VANTREL_FLOAT(FogColorDesaturation, 0.25f, PreviewPass::Fog),
    VANTREL_FLOAT(FogDensityMultiplier, 1.0f, PreviewPass::Fog),
    VANTREL_BOOL(ProceduralFloraEnhancements, true),
    VANTREL_BOOL(ProceduralFloraClumpSizeRandomization, true),
    VANTREL_BOOL(ProceduralFloraSway, true),
    VANTREL_FLOAT(ProceduralFloraRandomSizeMultiplier, 1.0f),
    VANTREL_FLOAT(ProceduralFloraRenderDistance, 50.0f),
    VANTREL_BOOL(WeatherEffectsEnhancements, true),
    VANTREL_BOOL(DisableCloudsShadows, false),
    VANTREL_FLOAT(WeatherEffectsRandomRainSnowMinimumOpacity, 0.75f),
    VANTREL_FLOAT(SkyBrightnessMultiplier, 1.0f, PreviewPass::SkyDome),
    VANTREL_FLOAT(SkySunSizeMultiplier, 1.0f, PreviewPass::SkyDome),
    VANTREL_BOOL(LightGlowEnhancements, true, PreviewPass::LightGlow),
    VANTREL_BOOL(GlassRenderingEnhancements, true),
    VANTREL_FLOAT(GlassReflectionsIntensity, 1.0f),
    VANTREL_FLOAT(GlassReflectionsColorDesaturation, 0.25f),
    VANTREL_BOOL(OverTintedGlassFix, true),
    VANTREL_BOOL(VegetationShadingEnhancements, true),
    VANTREL_FLOAT(VegetationMaxBrightnessVariationAmplitude, 0.2f),
    VANTREL_FLOAT(VegetationMaxColorVariationAmplitude, 0.25f),
    VANTREL_BOOL(DynamicCloudsEnhancements, true),
    VANTREL_FLOAT(BloomIntensity, 1.0f, PreviewPass::PostChain),
    VANTREL_FLOAT(BloomColorDesaturation, 0.25f, PreviewPass::PostChain),
    VANTREL_FLOAT(HDRExposure, 1.0f, PreviewPass::PostChain),
    VANTREL_BOOL(DynamicCloudsPerformanceFix, true),
    VANTREL_FLOAT(Gamma, 1.0f, PreviewPass::PostChain),
    VANTREL_FLOAT(ImageSharpness, 1.0f, PreviewPass::PostChain),
    VANTREL_FLOAT(ImageContrast, 1.0f, PreviewPass::PostChain),
    VANTREL_FLOAT(ColorVibrance, 0.0f, PreviewPass::PostChain),
    VANTREL_FLOAT(ImageGrayLevel, 0.0f, PreviewPass::PostChain),
    VANTREL_FLOAT(ImageSepiaLevel, 0.0f, PreviewPass::PostChain),
    VANTREL_BOOL(ColorBandingFix, true, PreviewPass::PostChain),
};
}  // namespace

std::span<const ParamDesc> ShaderParamTable() { return kParams; }

void ApplyDefault(ShaderSettings& shader, const ParamDesc& param) {
    switch (param.kind) {
        case ParamKind::Bool: shader.*param.boolField = param.defaultBool; break;
        case ParamKind::Float: shader.*param.floatField = param.defaultFloat; break;
        case ParamKind::Tint: shader.*param.tintField = ColorTint{}; break;
    }
}
