#pragma once
// The one settings record: interface preferences, game folder, installed-shader
// bookkeeping and the 54 enhancement parameters.
#include <cstdint>
#include <string>

struct ColorTint {
    float r = 1.0f, g = 1.0f, b = 1.0f;
    bool operator==(const ColorTint&) const = default;
};

// Fields in layout order; values come from the parameter table (SettingsTable.h).
struct ShaderSettings {
    bool VegetationShadingEnhancements;
    float VegetationMaxColorVariationAmplitude;
    float VegetationMaxBrightnessVariationAmplitude;
    float HDRExposure;
    float BloomIntensity;
    float BloomColorDesaturation;
    float Gamma;
    float ImageSharpness;
    float ImageContrast;
    float ColorVibrance;
    float ImageGrayLevel;
    float ImageSepiaLevel;
    bool ColorBandingFix;
    bool DOFEnhancements;
    float DOFNearPlane;
    bool DynamicCloudsEnhancements;
    bool DynamicCloudsPerformanceFix;
    bool FXAAFix;
    float FXAAEdgeBluringIntensity;
    bool FogEnhancements;
    float FogDensityMultiplier;
    float FogBrightness;
    float FogColorDesaturation;
    bool GlassRenderingEnhancements;
    float GlassReflectionsIntensity;
    float GlassReflectionsColorDesaturation;
    bool LightGlowEnhancements;
    bool SunShadowsEnhancements;
    bool NoPointShadows;
    bool NoSpotPointSpecular;
    bool NoSpotShadows;
    float PointLightIntensityMultiplier;
    float SpotLightIntensityMultiplier;
    float PointLightSpecularIntensityMultiplier;
    float SpotLightSpecularIntensityMultiplier;
    ColorTint PointLightColorTint;
    ColorTint SpotLightColorTint;
    ColorTint LightGlowColorTint;
    bool OverTintedGlassFix;
    bool ProceduralFloraEnhancements;
    bool ProceduralFloraClumpSizeRandomization;
    bool ProceduralFloraSway;
    float ProceduralFloraRandomSizeMultiplier;
    float ProceduralFloraRenderDistance;
    bool ReflectionsEnhancements;
    float ReflectionsIntensity;
    float ReflectionsColorDesaturation;
    bool SSAO;
    float SSAOIntensity;
    bool WeatherEffectsEnhancements;
    bool DisableCloudsShadows;
    float WeatherEffectsRandomRainSnowMinimumOpacity;
    float SkySunSizeMultiplier;
    float SkyBrightnessMultiplier;

    ShaderSettings();  // every field at its default
    bool operator==(const ShaderSettings&) const = default;
};

// What loading the settings file found. A file that exists but cannot be read
// (too large, locked, an I/O error), is no XML or holds no Settings element is
// kept beside itself before anything can replace it with defaults.
struct SettingsFileLoad {
    bool unreadable = false;
    std::u16string keptAs;  // where the unreadable file was kept; empty when it could not be kept
};

// Why a file was refused as a preset; a refused preset changes nothing.
enum class PresetProblem {
    None,
    Unreadable,    // it cannot be read
    NotXml,        // it is no XML document
    NotAPreset,    // it has no MOXPreset root element
    NoParameters,  // it has no TSXXShaders group with a parameter element in it
};

struct Settings {
    uint32_t Language = 0;  // 0 english, 1 french, 2 german
    bool HelpIcons = true;
    std::u16string TSPath;
    bool ShadersInstallOK = false;
    std::u16string ShadersVersion;
    bool NeedShadersUpdate = false;
    ShaderSettings Shader;

    bool operator==(const Settings&) const = default;

    static Settings& Instance();
    void RequestShadersUpdate() { NeedShadersUpdate = true; }
    // Shader block back to its defaults and NeedShadersUpdate raised; the five
    // other fields stay and nothing is saved.
    void RestoreShaderDefaults();
    // True when ShadersVersion differs from APP_VERSION or an update is pending.
    bool ShadersOutdated() const;

    // The settings file in the preference folder: the whole record.
    SettingsFileLoad LoadSettingsFile();
    // True when the file was written (a failed write keeps the old file).
    bool SaveSettingsFile() const;
    // A preset file: the 54 parameters only, under the root MOXPreset. Not a
    // preset: refused, logged, and nothing changes.
    PresetProblem LoadPreset(const std::u16string& path);
    bool SavePreset(const std::u16string& path) const;
};

// The parameters the settings file holds now (defaults where it holds none),
// read without setting an unreadable file aside: for comparing, not loading.
ShaderSettings ShaderSettingsOnFile();
