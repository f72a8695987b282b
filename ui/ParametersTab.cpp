// The first tab: every shader parameter in its section, with the help buttons
// and the notices that take the place of what the weather add-on handles.
#include "ui/ParametersTab.h"

#include <imgui.h>

#include "game/WeatherPack.h"
#include "settings/Settings.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

using S = ShaderSettings;

enum class Widget { Switch, Slider, Colour };

struct Control {
    const char* label;
    Widget widget;
    bool S::*boolField;
    float S::*floatField;
    ColorTint S::*tintField;
    float min, max;
    const char* helpId;
    const char* helpKey;
    // Whether the control is drawn, from the values at the moment it is drawn.
    bool (*shown)(const S&, bool addon);
};

bool Always(const S&, bool) { return true; }
bool NoAddon(const S&, bool addon) { return !addon; }

constexpr Control Switch(const char* label, bool S::*field, const char* helpId, const char* helpKey,
                         bool (*shown)(const S&, bool) = Always) {
    return {label, Widget::Switch, field, nullptr, nullptr, 0, 0, helpId, helpKey, shown};
}
constexpr Control Slider(const char* label, float S::*field, float min, float max, const char* helpId,
                         const char* helpKey, bool (*shown)(const S&, bool) = Always) {
    return {label, Widget::Slider, nullptr, field, nullptr, min, max, helpId, helpKey, shown};
}
constexpr Control Colour(const char* label, ColorTint S::*field, const char* helpId, const char* helpKey,
                         bool (*shown)(const S&, bool) = Always) {
    return {label, Widget::Colour, nullptr, nullptr, field, 0, 0, helpId, helpKey, shown};
}

// Sections in drawing order; label and help texts are catalogue keys.
const Control kSsao[] = {
    Switch("ssao", &S::SSAO, "ssaohelp", "ssao_help"),
    Slider("ssaointensity", &S::SSAOIntensity, 0, 2, "ssaointensityhelp", "ssaointensity_help",
           [](const S& s, bool) { return s.SSAO; }),
};
const Control kReflections[] = {
    Switch("reflectionsenhancements", &S::ReflectionsEnhancements, "reflectionsenhancementshelp",
           "reflectionsenhancements_help"),
    Slider("reflectionsintensity", &S::ReflectionsIntensity, 0, 2, "reflectionsintensityhelp",
           "reflectionsintensity_help", [](const S& s, bool) { return s.ReflectionsEnhancements; }),
    Slider("reflectionscolordesaturation", &S::ReflectionsColorDesaturation, 0, 1,
           "reflectionscolordesaturationhelp", "reflectionscolordesaturation_help",
           [](const S& s, bool) { return s.ReflectionsEnhancements; }),
};
const Control kDof[] = {
    Switch("dofenhancements", &S::DOFEnhancements, "dofhelp", "dofenhancements_help"),
    Slider("dofnearplane", &S::DOFNearPlane, 1, 1000, "dofnearplanehelp", "dofnearplane_help",
           [](const S& s, bool) { return s.DOFEnhancements; }),
};
const Control kFog[] = {
    Switch("fogenhancements", &S::FogEnhancements, "foghelp", "fogenhancements_help", NoAddon),
    Slider("fogbrightness", &S::FogBrightness, 0, 2, "fogbrightnesshelp", "fogbrightness_help",
           [](const S& s, bool addon) { return !addon && s.FogEnhancements; }),
    Slider("fogcolordesaturation", &S::FogColorDesaturation, 0, 1, "fogcolordesaturation",
           "fogcolordesaturation_help", [](const S& s, bool addon) { return !addon && s.FogEnhancements; }),
    Slider("fogdensitymultiplier", &S::FogDensityMultiplier, 0, 2, "fogdensitymultiplier",
           "fogdensitymultiplier_help", [](const S& s, bool addon) { return !addon && s.FogEnhancements; }),
};
const Control kFlora[] = {
    Switch("procfloraenhancements", &S::ProceduralFloraEnhancements, "procflorahelp",
           "procfloraenhancements_help"),
    Switch("procfloraswayanimation", &S::ProceduralFloraSway, "swayanimationhelp", "procfloraswayanimation_help",
           [](const S& s, bool) { return s.ProceduralFloraEnhancements; }),
    Switch("procfloraclumpsizerandomization", &S::ProceduralFloraClumpSizeRandomization,
           "clumpsizerandomizationhelp", "procfloraclumpsizerandomization_help",
           [](const S& s, bool) { return s.ProceduralFloraEnhancements; }),
    Slider("procflorarandomsizemultiplier", &S::ProceduralFloraRandomSizeMultiplier, 0.25f, 2,
           "randomsizemultiplierhelp", "procflorarandomsizemultiplier_help",
           [](const S& s, bool) { return s.ProceduralFloraEnhancements && s.ProceduralFloraClumpSizeRandomization; }),
    Slider("procflorarenderdistance", &S::ProceduralFloraRenderDistance, 0, 50, "clumpsrenderdistancehelp",
           "procflorarenderdistance_help", [](const S& s, bool) { return s.ProceduralFloraEnhancements; }),
};
const Control kWeather[] = {
    Switch("weatherenhancements", &S::WeatherEffectsEnhancements, "weatherhelp", "weatherenhancements_help",
           NoAddon),
    Switch("dynamiccloudsenhancements", &S::DynamicCloudsEnhancements, "dynamiccloudshelp",
           "dynamiccloudsenhancements_help"),
    Switch("dynamiccloudsperffix", &S::DynamicCloudsPerformanceFix, "dynamiccloudsperffixhelp",
           "dynamiccloudsperffix_help"),
    Slider("rainsnowminimumopacity", &S::WeatherEffectsRandomRainSnowMinimumOpacity, 0, 1,
           "rainsnowminimumopacityhelp", "rainsnowminimumopacity_desc",
           [](const S& s, bool addon) { return !addon && s.WeatherEffectsEnhancements; }),
    Slider("skysunsizemultiplier", &S::SkySunSizeMultiplier, 0, 2, "skysunsizemultiplierhelp",
           "skysunsizemultiplier_desc", NoAddon),
    Slider("skybrightnessmultiplier", &S::SkyBrightnessMultiplier, 0, 2, "skybrightnessmultiplierhelp",
           "skybrightnessmultiplier_desc", NoAddon),
};
const Control kLights[] = {
    Switch("lightglowenhancements", &S::LightGlowEnhancements, "lightglowhelp", "lightglowenhancements_help"),
    Switch("sunshadowsenhancements", &S::SunShadowsEnhancements, "sunshadowsnhelp", "sunshadowsenhancements_help"),
    Switch("nopointlightshadows", &S::NoPointShadows, "nopointlightshadowshelp", "nopointlightshadows_help"),
    Switch("nospotlightshadows", &S::NoSpotShadows, "nospotlightshadowshelp", "nospotlightshadows_help"),
    Switch("nospotpointspecular", &S::NoSpotPointSpecular, "nospotpointspecularhelp", "nospotpointspecular_help"),
    Slider("pointlightsintensitymultiplier", &S::PointLightIntensityMultiplier, 0, 2,
           "pointlightintensitymultiplierhelp", "pointlightsintensitymultiplier_help"),
    Slider("spotlightsintensitymultiplier", &S::SpotLightIntensityMultiplier, 0, 2,
           "spotlightintensitymultiplierhelp", "spotlightsintensitymultiplier_help"),
    Slider("pointlightsspecularintensitymultiplier", &S::PointLightSpecularIntensityMultiplier, 0, 2,
           "pointlightspecularintensitymultiplierhelp", "pointlightsspecularintensitymultiplier_help"),
    Slider("spotlightsspecularintensitymultiplier", &S::SpotLightSpecularIntensityMultiplier, 0, 2,
           "spotlightspecularintensitymultiplierhelp", "spotlightsspecularintensitymultiplier_help"),
    Colour("lightglowcolortint", &S::LightGlowColorTint, "lightglowcolortinthelp", "lightglowcolortint_help",
           [](const S& s, bool) { return s.LightGlowEnhancements; }),
    Colour("pointlightscolortint", &S::PointLightColorTint, "pointlightcolortinthelp", "pointlightscolortint_help"),
    Colour("spotlightscolortint", &S::SpotLightColorTint, "spotlightcolortinthelp", "spotlightscolortint_help"),
};
const Control kGlass[] = {
    Switch("glassenhancements", &S::GlassRenderingEnhancements, "glasshelp", "glassenhancements_help", NoAddon),
    Switch("overtintedglassfix", &S::OverTintedGlassFix, "overtintedglassfixhelp", "overtintedglassfix_help",
           NoAddon),
    Slider("glassreflectionsintensity", &S::GlassReflectionsIntensity, 0, 2, "glassreflectionsintensity",
           "glassreflectionsintensity_help",
           [](const S& s, bool addon) { return !addon && s.GlassRenderingEnhancements; }),
    Slider("glassreflectionscolordesaturation", &S::GlassReflectionsColorDesaturation, 0, 1,
           "glassreflectionscolordesaturation", "glassreflectionscolordesaturation_help",
           [](const S& s, bool addon) { return !addon && s.GlassRenderingEnhancements; }),
};
const Control kFxaa[] = {
    Switch("fxaafix", &S::FXAAFix, "fxaafixhelp", "fxaafix_help"),
    Slider("fxaaedgebluringintensity", &S::FXAAEdgeBluringIntensity, 0, 1, "fxaaedgebluringintensityhelp",
           "fxaaedgebluringintensity_help"),
};
const Control kVegetation[] = {
    Switch("vegetationenhancements", &S::VegetationShadingEnhancements, "2dvegetationhelp",
           "vegetationenhancements_help"),
    Slider("vegetationmaxbrightnessvariationamplitude", &S::VegetationMaxBrightnessVariationAmplitude, 0, 0.5f,
           "vegetationmaxbrightnessamplitude_help", "vegetationmaxbrightnessvariationamplitude_help",
           [](const S& s, bool) { return s.VegetationShadingEnhancements; }),
    Slider("vegetationmaxcolorvariationamplitude", &S::VegetationMaxColorVariationAmplitude, 0, 1,
           "vegetationmaxcoloramplitude_help", "vegetationmaxcolorvariationamplitude_help",
           [](const S& s, bool) { return s.VegetationShadingEnhancements; }),
};
const Control kBloom[] = {
    Slider("hdrexposure", &S::HDRExposure, 0.5f, 2, "hdrexposure_help", "hdrexposure_help"),
    Slider("bloomintensity", &S::BloomIntensity, 0, 2, "bloomintensity_help", "bloomintensity_help"),
    Slider("bloomcolordesaturation", &S::BloomColorDesaturation, 0, 1, "bloomcolordesaturation_help",
           "bloomcolordesaturation_help"),
};
const Control kColours[] = {
    Switch("colorbandingfix", &S::ColorBandingFix, "colorbandingfixhelp", "colorbandingfix_help"),
    Slider("gamma", &S::Gamma, 0, 2, "gamma_help", "gamma_help"),
    Slider("imagesharpness", &S::ImageSharpness, 0, 2, "imagesharpness_help", "imagesharpness_help"),
    Slider("imagecontrastboostmultiplier", &S::ImageContrast, 0, 2, "contrastboost_help",
           "imagecontrastboostmultiplier_help"),
    Slider("colorvibrance", &S::ColorVibrance, -0.5f, 0.5f, "colorvibrance_help", "colorvibrance_help"),
    Slider("imagegraylevel", &S::ImageGrayLevel, 0, 1, "imagegraylevel_help", "imagegraylevel_help"),
    Slider("imagesepialevel", &S::ImageSepiaLevel, 0, 1, "imagesepia_help", "imagesepialevel_help"),
};

enum class AddonNotice { None, ReplacesFog, LeadsWeather, ReplacesGlass };

struct Section {
    const char* key;  // catalogue key, or null for the literal header
    const Control* controls;
    size_t count;
    AddonNotice notice;
};

template <size_t N>
constexpr Section Make(const char* key, const Control (&controls)[N], AddonNotice notice = AddonNotice::None) {
    return {key, controls, N, notice};
}

const Section kSections[] = {
    Make("ssaoeffect", kSsao),
    Make("reflections", kReflections),
    Make("dof", kDof),
    Make("fog", kFog, AddonNotice::ReplacesFog),
    Make("procflora", kFlora),
    Make("weathereffectssky", kWeather, AddonNotice::LeadsWeather),
    Make("lightsources", kLights),
    Make("glassrendering", kGlass, AddonNotice::ReplacesGlass),
    Make(nullptr, kFxaa),
    Make("twodvegetation", kVegetation),
    Make("hdrbloom", kBloom),
    Make("imagecolors", kColours),
};

const char* NoticeText(AddonNotice notice) {
    switch (notice) {
        case AddonNotice::ReplacesFog:
            return "Armstrong Powerhouse 'Sky and Weather Enhancement Pack 2.0' is currently detected/installed. Fog "
                   "enhancements will not be applied and will be handled by the 'Sky and Weather Enhancement Pack "
                   "2.0' addon.";
        case AddonNotice::LeadsWeather:
            return "Armstrong Powerhouse 'Sky and Weather Enhancement Pack 2.0' is currently detected/installed. Some "
                   "enhancements will not be applied and will be handled by the 'Sky and Weather Enhancement Pack "
                   "2.0' addon.";
        case AddonNotice::ReplacesGlass:
            return "Armstrong Powerhouse 'Sky and Weather Enhancement Pack 2.0' is currently detected/installed. Glass "
                   "rendering enhancements will not be applied and will be handled by the 'Sky and Weather "
                   "Enhancement Pack 2.0' addon.";
        case AddonNotice::None: break;
    }
    return "";
}

bool DrawWidget(const Control& control, S& shader) {
    const std::string label = Label(control.label);
    switch (control.widget) {
        case Widget::Switch: return ImGui::Checkbox(label.c_str(), &(shader.*control.boolField));
        case Widget::Slider:
            // Three decimals and a literal percent sign.
            return ImGui::SliderFloat(label.c_str(), &(shader.*control.floatField), control.min, control.max,
                                      "%.3f %%");
        case Widget::Colour: return ImGui::ColorEdit3(label.c_str(), &(shader.*control.tintField).r);
    }
    return false;
}

void DrawControl(const Control& control, Settings& settings) {
    if (DrawWidget(control, settings.Shader)) settings.RequestShadersUpdate();
    HelpIconButton(control.helpId, control.helpKey);
}

void DrawSection(const Section& section, Settings& settings) {
    BeginParameterSection(section.key ? Label(section.key) : std::string("FXAA / Antialiasing"));
    bool addon = false;
    if (section.notice != AddonNotice::None) {
        addon = IsWeatherPackInstalled();
        if (addon) ColoredText(WarningColor, NoticeText(section.notice));
        if (addon && section.notice == AddonNotice::LeadsWeather) ImGui::NewLine();
    }
    const bool replaced = addon && section.notice != AddonNotice::LeadsWeather;
    if (!replaced) {
        for (size_t i = 0; i < section.count; ++i) {
            const Control& control = section.controls[i];
            // Asked again at every control: a switch turned on shows its
            // dependants in the same frame.
            if (control.shown(settings.Shader, addon)) DrawControl(control, settings);
        }
    }
    EndParameterSection();
}

}  // namespace

void ShaderParametersTab() {
    Settings& settings = Settings::Instance();
    ImGui::NewLine();
    ImGui::PushFont(UiState().FontAccent);
    const std::string restore = Label("restoresettings", "", kIconRestore);
    if (ImGui::Button(restore.c_str())) settings.RestoreShaderDefaults();
    ImGui::PopFont();
    ImGui::NewLine();
    for (const Section& section : kSections) DrawSection(section, settings);
    ImGui::NewLine();
}
