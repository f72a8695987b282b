#include "shaders/Definitions.h"

#include <charconv>
#include <cmath>
#include <cstdio>

std::string FormatFloat(float value) {
    const double widened = value;
    // Non-finite values as this platform's C library writes them with "%f"
    // ("-nan" from glibc, "nan" from the Windows runtime); no locale changes
    // these words.
    if (!std::isfinite(widened)) {
        char text[32];
        std::snprintf(text, sizeof text, "%f", widened);
        return text;
    }
    // to_chars never consults the locale, so the separator is always a point.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, widened, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

std::string FormatTint(const ColorTint& tint) {
    return "float3(" + FormatFloat(tint.r) + "," + FormatFloat(tint.g) + "," + FormatFloat(tint.b) + ")";
}

namespace {

void AddValue(DefinitionList& list, const char* name, float value) {
    list.push_back(std::string(name) + " " + FormatFloat(value));
}

void AddTint(DefinitionList& list, const char* name, const ColorTint& tint) {
    list.push_back(std::string(name) + " " + FormatTint(tint));
}

}  // namespace

DefinitionList BuildDefinitionList(const std::u16string& effectName, const ShaderSettings& s) {
    DefinitionList list;
    const std::u16string& n = effectName;
    if (n == u"DeferredDirectional") {
        if (s.SunShadowsEnhancements) list.push_back("MOX_SUNSHADOWSENHANCEMENTS");
        if (s.DisableCloudsShadows) list.push_back("MOX_DISABLECLOUDSSHADOWS");
        if (s.SSAO) {
            list.push_back("MOX_SSAO");
            AddValue(list, "MOX_SSAOIntensity", s.SSAOIntensity);
        }
        if (s.ReflectionsEnhancements) {
            list.push_back("MOX_REFLECTIONSENHANCEMENTS");
            AddValue(list, "MOX_ReflectionsIntensity", s.ReflectionsIntensity);
            AddValue(list, "MOX_ReflectionsColorDesaturation", s.ReflectionsColorDesaturation);
        }
    } else if (n == u"PostDepthOfField") {
        if (s.DOFEnhancements) {
            list.push_back("MOX_DOFENHANCEMENTS");
            AddValue(list, "MOX_DOFNearPlane", s.DOFNearPlane);
        }
    } else if (n == u"PostTrainVolumetricFog") {
        if (s.FogEnhancements) {
            list.push_back("MOX_FOGENHANCEMENTS");
            AddValue(list, "MOX_FogDensityMultiplier", s.FogDensityMultiplier);
            AddValue(list, "MOX_FogBrightness", s.FogBrightness);
            AddValue(list, "MOX_FogColorDesaturation", s.FogColorDesaturation);
        }
    } else if (n == u"ProcFlora") {
        if (s.ProceduralFloraEnhancements) {
            list.push_back("MOX_PROCFLORAENHANCEMENTS");
            if (s.ProceduralFloraSway) list.push_back("MOX_ProcFloraSway");
            if (s.ProceduralFloraClumpSizeRandomization) {
                list.push_back("MOX_ProcFloraClumpSizeRandomization");
                AddValue(list, "MOX_ProcFloraRandomSizeMultiplier", s.ProceduralFloraRandomSizeMultiplier);
            }
            AddValue(list, "MOX_ProcFloraRenderDistance", s.ProceduralFloraRenderDistance);
        }
    } else if (n == u"Rain") {
        if (s.WeatherEffectsEnhancements) {
            list.push_back("MOX_WEATHEREFFECTSENHANCEMENTS");
            AddValue(list, "MOX_WeatherEffectsRandomRainSnowMinimumOpacity",
                     s.WeatherEffectsRandomRainSnowMinimumOpacity);
        }
    } else if (n == u"DeferredPoint") {
        if (s.NoPointShadows) list.push_back("MOX_NOPOINTSHADOWS");
        if (s.NoSpotPointSpecular) list.push_back("MOX_NOSPOTPOINTSPECULAR");
        AddValue(list, "MOX_PointLightIntensityMultiplier", s.PointLightIntensityMultiplier);
        AddValue(list, "MOX_PointLightSpecularIntensityMultiplier", s.PointLightSpecularIntensityMultiplier);
        AddTint(list, "MOX_PointLightColorTint", s.PointLightColorTint);
    } else if (n == u"DeferredSpot") {
        if (s.NoSpotShadows) list.push_back("MOX_NOSPOTSHADOWS");
        if (s.NoSpotPointSpecular) list.push_back("MOX_NOSPOTPOINTSPECULAR");
        AddValue(list, "MOX_SpotLightIntensityMultiplier", s.SpotLightIntensityMultiplier);
        AddValue(list, "MOX_SpotLightSpecularIntensityMultiplier", s.SpotLightSpecularIntensityMultiplier);
        AddTint(list, "MOX_SpotLightColorTint", s.SpotLightColorTint);
    } else if (n == u"PostTrainLightGlow") {
        if (s.LightGlowEnhancements) {
            list.push_back("MOX_LIGHTGLOWENHANCEMENTS");
            AddTint(list, "MOX_LightGlowColorTint", s.LightGlowColorTint);
        }
    } else if (n == u"TrainGlass") {
        if (s.GlassRenderingEnhancements) {
            list.push_back("MOX_GLASSRENDERINGENHANCEMENTS");
            AddValue(list, "MOX_GlassReflectionsIntensity", s.GlassReflectionsIntensity);
            AddValue(list, "MOX_GlassReflectionsColorDesaturation", s.GlassReflectionsColorDesaturation);
        }
        if (s.OverTintedGlassFix) list.push_back("MOX_OVERTINTEDGLASSFIX");
    } else if (n == u"TrainGlassWeatherEffects") {
        if (s.OverTintedGlassFix) list.push_back("MOX_OVERTINTEDGLASSFIX");
    } else if (n == u"PostProcessFXAA") {
        if (s.FXAAFix) list.push_back("MOX_FXAAFIX");
        AddValue(list, "MOX_FXAAEdgeBluringIntensity", s.FXAAEdgeBluringIntensity);
    } else if (n == u"TrainViewFacingFlora") {
        // This effect keeps its own amplitude defaults.
        if (s.VegetationShadingEnhancements) list.push_back("MOX_2DVEGETATIONSHADINGENHANCEMENTS");
    } else if (n == u"TrainUprightViewFacingFlora") {
        if (s.VegetationShadingEnhancements) {
            list.push_back("MOX_2DVEGETATIONSHADINGENHANCEMENTS");
            AddValue(list, "MOX_VegetationMaxColorVariationAmplitude", s.VegetationMaxColorVariationAmplitude);
            AddValue(list, "MOX_VegetationMaxBrightnessVariationAmplitude",
                     s.VegetationMaxBrightnessVariationAmplitude);
        }
    } else if (n == u"Train_post_bloom") {
        AddValue(list, "MOX_HDRExposure", s.HDRExposure);
        AddValue(list, "MOX_BloomIntensity", s.BloomIntensity);
        AddValue(list, "MOX_BloomColorDesaturation", s.BloomColorDesaturation);
        AddValue(list, "MOX_Gamma", s.Gamma);
        AddValue(list, "MOX_ImageSharpness", s.ImageSharpness);
        AddValue(list, "MOX_ImageContrast", s.ImageContrast);
        AddValue(list, "MOX_ColorVibrance", s.ColorVibrance);
        AddValue(list, "MOX_ImageGrayLevel", s.ImageGrayLevel);
        AddValue(list, "MOX_ImageSepiaLevel", s.ImageSepiaLevel);
        if (s.ColorBandingFix) list.push_back("MOX_COLORBANDINGFIX");
    } else if (n == u"TrainSkyDome") {
        AddValue(list, "MOX_SkySunSizeMultiplier", s.SkySunSizeMultiplier);
        AddValue(list, "MOX_SkyBrightnessMultiplier", s.SkyBrightnessMultiplier);
    }
    return list;
}

std::string BuildEffectSource(std::string templateText, const DefinitionList& definitions) {
    // Each entry goes in front of the text so far, so the file lists them last first.
    std::string head;
    for (auto it = definitions.rbegin(); it != definitions.rend(); ++it) {
        head += "#define ";
        head += *it;
        head += '\n';
    }
    head += '\n';
    templateText.insert(0, head);
    return templateText;
}
