// The first tab: every shader parameter in its section, with the help buttons
// and the notices that take the place of what the weather add-on handles.
// A dependent control is asked for with the values at the moment it is
// drawn, so a switch turned on shows its dependants in the same frame.
#include "ui/ParametersTab.h"

#include <string>

#include <imgui.h>

#include "game/WeatherPack.h"
#include "settings/Settings.h"
#include "ui/PreviewPanel.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

const char* const kFogNotice =
    "Armstrong Powerhouse 'Sky and Weather Enhancement Pack 2.0' is currently detected/installed. Fog enhancements "
    "will not be applied and will be handled by the 'Sky and Weather Enhancement Pack 2.0' addon.";
const char* const kWeatherNotice =
    "Armstrong Powerhouse 'Sky and Weather Enhancement Pack 2.0' is currently detected/installed. Some enhancements "
    "will not be applied and will be handled by the 'Sky and Weather Enhancement Pack 2.0' addon.";
const char* const kGlassNotice =
    "Armstrong Powerhouse 'Sky and Weather Enhancement Pack 2.0' is currently detected/installed. Glass rendering "
    "enhancements will not be applied and will be handled by the 'Sky and Weather Enhancement Pack 2.0' addon.";

// Every control has its own identity (its help id), so two labels that read
// the same in one language never share a widget.
template <typename Widget>
void Control(const char* kind, const std::string& label, const char* helpId, const std::string& help, Widget widget) {
    ImGui::PushID(helpId);
    const bool changed = widget(label.c_str());
    NoteItem(kind, label);
    ImGui::PopID();
    if (changed) Settings::Instance().RequestShadersUpdate();
    HelpIconButton(helpId, help);
}

void Switch(const std::string& label, bool& field, const char* helpId, const std::string& help) {
    Control("check", label, helpId, help, [&](const char* l) { return ImGui::Checkbox(l, &field); });
}

// Three decimals and a literal percent sign; values outside the range are
// shown as they are until the slider is moved.
void Slider(const std::string& label, float& field, float min, float max, const char* helpId,
            const std::string& help) {
    Control("slider", label, helpId, help,
            [&](const char* l) { return ImGui::SliderFloat(l, &field, min, max, "%.3f %%"); });
}

void Tint(const std::string& label, ColorTint& field, const char* helpId, const std::string& help) {
    Control("colour", label, helpId, help, [&](const char* l) { return ImGui::ColorEdit3(l, &field.r); });
}

void Ssao(ShaderSettings& s) {
    BeginParameterSection(Label("ssaoeffect"));
    Switch(T("ssao"), s.SSAO, "ssaohelp", T("ssao_help"));
    if (s.SSAO) {
        Slider(T("ssaointensity"), s.SSAOIntensity, 0, 2, "ssaointensityhelp", T("ssaointensity_help"));
    }
    EndParameterSection();
}

void Reflections(ShaderSettings& s) {
    BeginParameterSection(Label("reflections"));
    Switch(T("reflectionsenhancements"), s.ReflectionsEnhancements, "reflectionsenhancementshelp",
           T("reflectionsenhancements_help"));
    if (s.ReflectionsEnhancements) {
        Slider(T("reflectionsintensity"), s.ReflectionsIntensity, 0, 2, "reflectionsintensityhelp",
               T("reflectionsintensity_help"));
        Slider(T("reflectionscolordesaturation"), s.ReflectionsColorDesaturation, 0, 1,
               "reflectionscolordesaturationhelp", T("reflectionscolordesaturation_help"));
    }
    EndParameterSection();
}

void DepthOfField(ShaderSettings& s) {
    BeginParameterSection(Label("dof"));
    Switch(T("dofenhancements"), s.DOFEnhancements, "dofhelp", T("dofenhancements_help"));
    if (s.DOFEnhancements) {
        Slider(T("dofnearplane"), s.DOFNearPlane, 1, 1000, "dofnearplanehelp", T("dofnearplane_help"));
    }
    EndParameterSection();
}

void Fog(ShaderSettings& s) {
    BeginParameterSection(Label("fog"));
    if (IsWeatherPackInstalled()) {
        ColoredText(WarningColor, kFogNotice);
    } else {
        Switch(T("fogenhancements"), s.FogEnhancements, "foghelp", T("fogenhancements_help"));
        if (s.FogEnhancements) {
            Slider(T("fogbrightness"), s.FogBrightness, 0, 2, "fogbrightnesshelp", T("fogbrightness_help"));
            Slider(T("fogcolordesaturation"), s.FogColorDesaturation, 0, 1, "fogcolordesaturation",
                   T("fogcolordesaturation_help"));
            Slider(T("fogdensitymultiplier"), s.FogDensityMultiplier, 0, 2, "fogdensitymultiplier",
                   T("fogdensitymultiplier_help"));
        }
    }
    EndParameterSection();
}

void ProceduralFlora(ShaderSettings& s) {
    BeginParameterSection(Label("procflora"));
    Switch(T("procfloraenhancements"), s.ProceduralFloraEnhancements, "procflorahelp",
           T("procfloraenhancements_help"));
    if (s.ProceduralFloraEnhancements) {
        Switch(T("procfloraswayanimation"), s.ProceduralFloraSway, "swayanimationhelp",
               T("procfloraswayanimation_help"));
        Switch(T("procfloraclumpsizerandomization"), s.ProceduralFloraClumpSizeRandomization,
               "clumpsizerandomizationhelp", T("procfloraclumpsizerandomization_help"));
        if (s.ProceduralFloraClumpSizeRandomization) {
            Slider(T("procflorarandomsizemultiplier"), s.ProceduralFloraRandomSizeMultiplier, 0.25f, 2,
                   "randomsizemultiplierhelp", T("procflorarandomsizemultiplier_help"));
        }
        Slider(T("procflorarenderdistance"), s.ProceduralFloraRenderDistance, 0, 50, "clumpsrenderdistancehelp",
               T("procflorarenderdistance_help"));
    }
    EndParameterSection();
}

// With the add-on the dynamic-cloud switches stay; the rest is its own.
void WeatherAndSky(ShaderSettings& s) {
    BeginParameterSection(Label("weathereffectssky"));
    if (IsWeatherPackInstalled()) {
        ColoredText(WarningColor, kWeatherNotice);
        ImGui::NewLine();
    }
    if (!IsWeatherPackInstalled()) {
        Switch(T("weatherenhancements"), s.WeatherEffectsEnhancements, "weatherhelp", T("weatherenhancements_help"));
    }
    Switch(T("dynamiccloudsenhancements"), s.DynamicCloudsEnhancements, "dynamiccloudshelp",
           T("dynamiccloudsenhancements_help"));
    Switch(T("dynamiccloudsperffix"), s.DynamicCloudsPerformanceFix, "dynamiccloudsperffixhelp",
           T("dynamiccloudsperffix_help"));
    if (!IsWeatherPackInstalled()) {
        if (s.WeatherEffectsEnhancements) {
            Slider(T("rainsnowminimumopacity"), s.WeatherEffectsRandomRainSnowMinimumOpacity, 0, 1,
                   "rainsnowminimumopacityhelp", T("rainsnowminimumopacity_desc"));
        }
        Slider(T("skysunsizemultiplier"), s.SkySunSizeMultiplier, 0, 2, "skysunsizemultiplierhelp",
               T("skysunsizemultiplier_desc"));
        Slider(T("skybrightnessmultiplier"), s.SkyBrightnessMultiplier, 0, 2, "skybrightnessmultiplierhelp",
               T("skybrightnessmultiplier_desc"));
    }
    EndParameterSection();
}

void LightSources(ShaderSettings& s) {
    BeginParameterSection(Label("lightsources"));
    Switch(T("lightglowenhancements"), s.LightGlowEnhancements, "lightglowhelp", T("lightglowenhancements_help"));
    Switch(T("sunshadowsenhancements"), s.SunShadowsEnhancements, "sunshadowsnhelp",
           T("sunshadowsenhancements_help"));
    Switch(T("nopointlightshadows"), s.NoPointShadows, "nopointlightshadowshelp", T("nopointlightshadows_help"));
    Switch(T("nospotlightshadows"), s.NoSpotShadows, "nospotlightshadowshelp", T("nospotlightshadows_help"));
    Switch(T("nospotpointspecular"), s.NoSpotPointSpecular, "nospotpointspecularhelp",
           T("nospotpointspecular_help"));
    Slider(T("pointlightsintensitymultiplier"), s.PointLightIntensityMultiplier, 0, 2,
           "pointlightintensitymultiplierhelp", T("pointlightsintensitymultiplier_help"));
    Slider(T("spotlightsintensitymultiplier"), s.SpotLightIntensityMultiplier, 0, 2,
           "spotlightintensitymultiplierhelp", T("spotlightsintensitymultiplier_help"));
    Slider(T("pointlightsspecularintensitymultiplier"), s.PointLightSpecularIntensityMultiplier, 0, 2,
           "pointlightspecularintensitymultiplierhelp", T("pointlightsspecularintensitymultiplier_help"));
    Slider(T("spotlightsspecularintensitymultiplier"), s.SpotLightSpecularIntensityMultiplier, 0, 2,
           "spotlightspecularintensitymultiplierhelp", T("spotlightsspecularintensitymultiplier_help"));
    if (s.LightGlowEnhancements) {
        Tint(T("lightglowcolortint"), s.LightGlowColorTint, "lightglowcolortinthelp", T("lightglowcolortint_help"));
    }
    Tint(T("pointlightscolortint"), s.PointLightColorTint, "pointlightcolortinthelp", T("pointlightscolortint_help"));
    Tint(T("spotlightscolortint"), s.SpotLightColorTint, "spotlightcolortinthelp", T("spotlightscolortint_help"));
    EndParameterSection();
}

void GlassRendering(ShaderSettings& s) {
    BeginParameterSection(Label("glassrendering"));
    if (IsWeatherPackInstalled()) {
        ColoredText(WarningColor, kGlassNotice);
    } else {
        Switch(T("glassenhancements"), s.GlassRenderingEnhancements, "glasshelp", T("glassenhancements_help"));
        Switch(T("overtintedglassfix"), s.OverTintedGlassFix, "overtintedglassfixhelp", T("overtintedglassfix_help"));
        if (s.GlassRenderingEnhancements) {
            Slider(T("glassreflectionsintensity"), s.GlassReflectionsIntensity, 0, 2, "glassreflectionsintensity",
                   T("glassreflectionsintensity_help"));
            Slider(T("glassreflectionscolordesaturation"), s.GlassReflectionsColorDesaturation, 0, 1,
                   "glassreflectionscolordesaturation", T("glassreflectionscolordesaturation_help"));
        }
    }
    EndParameterSection();
}

void Antialiasing(ShaderSettings& s) {
    BeginParameterSection("FXAA / Antialiasing##fxaa");
    Switch(T("fxaafix"), s.FXAAFix, "fxaafixhelp", T("fxaafix_help"));
    Slider(T("fxaaedgebluringintensity"), s.FXAAEdgeBluringIntensity, 0, 1, "fxaaedgebluringintensityhelp",
           T("fxaaedgebluringintensity_help"));
    EndParameterSection();
}

void Vegetation(ShaderSettings& s) {
    BeginParameterSection(Label("twodvegetation"));
    Switch(T("vegetationenhancements"), s.VegetationShadingEnhancements, "2dvegetationhelp",
           T("vegetationenhancements_help"));
    if (s.VegetationShadingEnhancements) {
        Slider(T("vegetationmaxbrightnessvariationamplitude"), s.VegetationMaxBrightnessVariationAmplitude, 0, 0.5f,
               "vegetationmaxbrightnessamplitude_help", T("vegetationmaxbrightnessvariationamplitude_help"));
        Slider(T("vegetationmaxcolorvariationamplitude"), s.VegetationMaxColorVariationAmplitude, 0, 1,
               "vegetationmaxcoloramplitude_help", T("vegetationmaxcolorvariationamplitude_help"));
    }
    EndParameterSection();
}

void HdrAndBloom(ShaderSettings& s) {
    BeginParameterSection(Label("hdrbloom"));
    Slider(T("hdrexposure"), s.HDRExposure, 0.5f, 2, "hdrexposure_help", T("hdrexposure_help"));
    Slider(T("bloomintensity"), s.BloomIntensity, 0, 2, "bloomintensity_help", T("bloomintensity_help"));
    Slider(T("bloomcolordesaturation"), s.BloomColorDesaturation, 0, 1, "bloomcolordesaturation_help",
           T("bloomcolordesaturation_help"));
    EndParameterSection();
}

void ImageColours(ShaderSettings& s) {
    BeginParameterSection(Label("imagecolors"));
    Switch(T("colorbandingfix"), s.ColorBandingFix, "colorbandingfixhelp", T("colorbandingfix_help"));
    Slider(T("gamma"), s.Gamma, 0, 2, "gamma_help", T("gamma_help"));
    Slider(T("imagesharpness"), s.ImageSharpness, 0, 2, "imagesharpness_help", T("imagesharpness_help"));
    Slider(T("imagecontrastboostmultiplier"), s.ImageContrast, 0, 2, "contrastboost_help",
           T("imagecontrastboostmultiplier_help"));
    Slider(T("colorvibrance"), s.ColorVibrance, -0.5f, 0.5f, "colorvibrance_help", T("colorvibrance_help"));
    Slider(T("imagegraylevel"), s.ImageGrayLevel, 0, 1, "imagegraylevel_help", T("imagegraylevel_help"));
    Slider(T("imagesepialevel"), s.ImageSepiaLevel, 0, 1, "imagesepia_help", T("imagesepialevel_help"));
    EndParameterSection();
}

}  // namespace

void ShaderParametersTab() {
    Settings& settings = Settings::Instance();
    ShaderSettings& s = settings.Shader;
    ImGui::NewLine();
    ImGui::PushFont(UiState().FontAccent);
    if (LabelButton(Label("restoresettings", "", std::string(" ") + kIconRestore))) settings.RestoreShaderDefaults();  // nothing saved
    ImGui::PopFont();
    ImGui::NewLine();
    Ssao(s);
    Reflections(s);
    DepthOfField(s);
    Fog(s);
    ProceduralFlora(s);
    WeatherAndSky(s);
    LightSources(s);
    GlassRendering(s);
    Antialiasing(s);
    Vegetation(s);
    PreviewPanel();
    HdrAndBloom(s);
    ImageColours(s);
    ImGui::NewLine();
}
