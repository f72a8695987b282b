// The first tab: every shader parameter in its section, with the help buttons
// and the notices that take the place of what the weather add-on handles.
// Each section is a list of rows laid out as a form: one column of labels for
// the whole tab, the controls after them, then the slider values and the help
// buttons. Whether a dependent row shows is asked when it is drawn, so a
// switch turned on shows its dependants in the same frame.
#include "ui/ParametersTab.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <string>
#include <vector>

#include <imgui.h>
#include <imgui_internal.h>

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

enum class Widget { Switch, Slider, Tint };

struct Row {
    Widget widget;
    std::string label;
    void* field;
    float min = 0.0f, max = 0.0f;
    const char* helpId;  // also the control's identity, so equal labels never share a widget
    std::string help;
    std::function<bool()> shown;  // empty: always
};

Row Switch(std::string label, bool& field, const char* helpId, std::string help, std::function<bool()> shown = {}) {
    return {Widget::Switch, std::move(label), &field, 0, 0, helpId, std::move(help), std::move(shown)};
}

Row Slider(std::string label, float& field, float min, float max, const char* helpId, std::string help,
           std::function<bool()> shown = {}) {
    return {Widget::Slider, std::move(label), &field, min, max, helpId, std::move(help), std::move(shown)};
}

Row Tint(std::string label, ColorTint& field, const char* helpId, std::string help, std::function<bool()> shown = {}) {
    return {Widget::Tint, std::move(label), &field, 0, 0, helpId, std::move(help), std::move(shown)};
}

struct Section {
    std::string label;
    std::vector<Row> rows;
    const char* notice = nullptr;  // drawn first, wrapped, in the warning colour
    bool noticeOnly = false;       // the notice takes the place of every row
    bool previewFirst = false;     // the preview of the image settings comes before it
};

// Window-local x of each column and the widths of the first two.
struct Columns {
    float label, labelWidth, control, controlWidth, value, valueWidth, help;
};

Columns LayOut(const std::vector<Section>& sections) {
    const ImGuiStyle& style = ImGui::GetStyle();
    const float gap = style.ItemSpacing.x;
    const float available = ImGui::GetContentRegionAvail().x;
    const float help = Settings::Instance().HelpIcons ? Px(32) + gap : 0.0f;
    Columns c{};
    c.valueWidth = ImGui::CalcTextSize("-0000.000").x;
    float longest = 0.0f;
    for (const Section& section : sections) {
        for (const Row& row : section.rows) longest = std::max(longest, ImGui::CalcTextSize(row.label.c_str()).x);
    }
    c.controlWidth = std::clamp(available * 0.35f, Px(200), Px(460));
    // Labels wrap rather than push the controls out of the window.
    c.labelWidth = std::max(1.0f, std::min(longest, available - c.controlWidth - c.valueWidth - help - 2 * gap));
    c.label = ImGui::GetCursorPosX();
    c.control = c.label + c.labelWidth + gap;
    c.value = c.control + c.controlWidth + gap;
    c.help = c.value + c.valueWidth + gap;
    return c;
}

// Three decimals with a full stop whatever the locale, and no unit: the
// values are metres, factors and levels.
std::string ValueText(float value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
    return std::string(text, written.ptr);
}

void RowLabel(const Row& row, const Columns& c) {
    ImGui::AlignTextToFramePadding();
    WrappedTextAt(row.label, c.label + c.labelWidth, "label");
}

// True when the row's value changed.
bool Control(const Row& row, const Columns& c, bool labelClicked) {
    ImGui::SameLine(c.control);
    switch (row.widget) {
        case Widget::Switch: {
            bool& field = *static_cast<bool*>(row.field);
            bool changed = ImGui::Checkbox("##switch", &field);
            NoteItem("check", row.label);
            // The label is part of the switch, as it is beside a plain check box.
            if (labelClicked && !changed) {
                field = !field;
                changed = true;
            }
            return changed;
        }
        case Widget::Slider: {
            float& field = *static_cast<float*>(row.field);
            ImGui::SetNextItemWidth(c.controlWidth);
            // The value is written beside the slider, where the grab cannot
            // cover it; inside, it shows only while typed in (Ctrl+click).
            const bool typing = ImGui::TempInputIsActive(ImGui::GetID("##slider"));
            if (!typing) ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0, 0, 0, 0));
            const bool changed = ImGui::SliderFloat("##slider", &field, row.min, row.max, "%.3f");
            if (!typing) ImGui::PopStyleColor();
            NoteItem("slider", row.label);
            const std::string value = ValueText(field);
            ImGui::SameLine(c.value + c.valueWidth - ImGui::CalcTextSize(value.c_str()).x);
            PlainText(value);
            return changed;
        }
        case Widget::Tint: {
            ImGui::SetNextItemWidth(c.controlWidth + c.valueWidth + ImGui::GetStyle().ItemSpacing.x);
            const bool changed = ImGui::ColorEdit3("##tint", &static_cast<ColorTint*>(row.field)->r);
            NoteItem("colour", row.label);
            return changed;
        }
    }
    return false;
}

void DrawRow(const Row& row, const Columns& c) {
    if (row.shown && !row.shown()) return;
    ImGui::PushID(row.helpId);
    RowLabel(row, c);
    const bool labelClicked = row.widget == Widget::Switch && ImGui::IsItemClicked();
    const bool changed = Control(row, c, labelClicked);
    ImGui::PopID();
    if (changed) Settings::Instance().RequestShadersUpdate();
    HelpIconButton(row.helpId, row.help, c.help);
}

void DrawSection(const Section& section, const Columns& c) {
    BeginParameterSection(section.label);
    if (section.notice) {
        ColoredWrappedText(WarningColor, section.notice);
        if (!section.noticeOnly) ImGui::NewLine();
    }
    if (!section.noticeOnly) {
        for (const Row& row : section.rows) DrawRow(row, c);
    }
    EndParameterSection();
}

std::vector<Section> Sections(ShaderSettings& s, bool addOn) {
    std::vector<Section> sections;
    sections.push_back({Label("ssaoeffect"),
                        {Switch(T("ssao"), s.SSAO, "ssaohelp", T("ssao_help")),
                         Slider(T("ssaointensity"), s.SSAOIntensity, 0, 2, "ssaointensityhelp",
                                T("ssaointensity_help"), [&s] { return s.SSAO; })}});
    const auto reflections = [&s] { return s.ReflectionsEnhancements; };
    sections.push_back({Label("reflections"),
                        {Switch(T("reflectionsenhancements"), s.ReflectionsEnhancements, "reflectionsenhancementshelp",
                                T("reflectionsenhancements_help")),
                         Slider(T("reflectionsintensity"), s.ReflectionsIntensity, 0, 2, "reflectionsintensityhelp",
                                T("reflectionsintensity_help"), reflections),
                         Slider(T("reflectionscolordesaturation"), s.ReflectionsColorDesaturation, 0, 1,
                                "reflectionscolordesaturationhelp", T("reflectionscolordesaturation_help"),
                                reflections)}});
    sections.push_back({Label("dof"),
                        {Switch(T("dofenhancements"), s.DOFEnhancements, "dofhelp", T("dofenhancements_help")),
                         Slider(T("dofnearplane"), s.DOFNearPlane, 1, 1000, "dofnearplanehelp",
                                T("dofnearplane_help"), [&s] { return s.DOFEnhancements; })}});
    const auto fog = [&s] { return s.FogEnhancements; };
    sections.push_back({Label("fog"),
                        {Switch(T("fogenhancements"), s.FogEnhancements, "foghelp", T("fogenhancements_help")),
                         Slider(T("fogbrightness"), s.FogBrightness, 0, 2, "fogbrightnesshelp", T("fogbrightness_help"),
                                fog),
                         Slider(T("fogcolordesaturation"), s.FogColorDesaturation, 0, 1, "fogcolordesaturation",
                                T("fogcolordesaturation_help"), fog),
                         Slider(T("fogdensitymultiplier"), s.FogDensityMultiplier, 0, 2, "fogdensitymultiplier",
                                T("fogdensitymultiplier_help"), fog)},
                        addOn ? kFogNotice : nullptr,
                        addOn});
    const auto flora = [&s] { return s.ProceduralFloraEnhancements; };
    sections.push_back(
        {Label("procflora"),
         {Switch(T("procfloraenhancements"), s.ProceduralFloraEnhancements, "procflorahelp",
                 T("procfloraenhancements_help")),
          Switch(T("procfloraswayanimation"), s.ProceduralFloraSway, "swayanimationhelp",
                 T("procfloraswayanimation_help"), flora),
          Switch(T("procfloraclumpsizerandomization"), s.ProceduralFloraClumpSizeRandomization,
                 "clumpsizerandomizationhelp", T("procfloraclumpsizerandomization_help"), flora),
          Slider(T("procflorarandomsizemultiplier"), s.ProceduralFloraRandomSizeMultiplier, 0.25f, 2,
                 "randomsizemultiplierhelp", T("procflorarandomsizemultiplier_help"),
                 [&s] { return s.ProceduralFloraEnhancements && s.ProceduralFloraClumpSizeRandomization; }),
          Slider(T("procflorarenderdistance"), s.ProceduralFloraRenderDistance, 0, 50, "clumpsrenderdistancehelp",
                 T("procflorarenderdistance_help"), flora)}});
    // With the add-on the dynamic-cloud switches stay; the rest is its own.
    const auto withoutAddOn = [addOn] { return !addOn; };
    sections.push_back(
        {Label("weathereffectssky"),
         {Switch(T("weatherenhancements"), s.WeatherEffectsEnhancements, "weatherhelp", T("weatherenhancements_help"),
                 withoutAddOn),
          Switch(T("dynamiccloudsenhancements"), s.DynamicCloudsEnhancements, "dynamiccloudshelp",
                 T("dynamiccloudsenhancements_help")),
          Switch(T("dynamiccloudsperffix"), s.DynamicCloudsPerformanceFix, "dynamiccloudsperffixhelp",
                 T("dynamiccloudsperffix_help")),
          Slider(T("rainsnowminimumopacity"), s.WeatherEffectsRandomRainSnowMinimumOpacity, 0, 1,
                 "rainsnowminimumopacityhelp", T("rainsnowminimumopacity_desc"),
                 [&s, addOn] { return !addOn && s.WeatherEffectsEnhancements; }),
          Slider(T("skysunsizemultiplier"), s.SkySunSizeMultiplier, 0, 2, "skysunsizemultiplierhelp",
                 T("skysunsizemultiplier_desc"), withoutAddOn),
          Slider(T("skybrightnessmultiplier"), s.SkyBrightnessMultiplier, 0, 2, "skybrightnessmultiplierhelp",
                 T("skybrightnessmultiplier_desc"), withoutAddOn)},
         addOn ? kWeatherNotice : nullptr});
    sections.push_back(
        {Label("lightsources"),
         {Switch(T("lightglowenhancements"), s.LightGlowEnhancements, "lightglowhelp",
                 T("lightglowenhancements_help")),
          Switch(T("sunshadowsenhancements"), s.SunShadowsEnhancements, "sunshadowsnhelp",
                 T("sunshadowsenhancements_help")),
          Switch(T("nopointlightshadows"), s.NoPointShadows, "nopointlightshadowshelp", T("nopointlightshadows_help")),
          Switch(T("nospotlightshadows"), s.NoSpotShadows, "nospotlightshadowshelp", T("nospotlightshadows_help")),
          Switch(T("nospotpointspecular"), s.NoSpotPointSpecular, "nospotpointspecularhelp",
                 T("nospotpointspecular_help")),
          Slider(T("pointlightsintensitymultiplier"), s.PointLightIntensityMultiplier, 0, 2,
                 "pointlightintensitymultiplierhelp", T("pointlightsintensitymultiplier_help")),
          Slider(T("spotlightsintensitymultiplier"), s.SpotLightIntensityMultiplier, 0, 2,
                 "spotlightintensitymultiplierhelp", T("spotlightsintensitymultiplier_help")),
          Slider(T("pointlightsspecularintensitymultiplier"), s.PointLightSpecularIntensityMultiplier, 0, 2,
                 "pointlightspecularintensitymultiplierhelp", T("pointlightsspecularintensitymultiplier_help")),
          Slider(T("spotlightsspecularintensitymultiplier"), s.SpotLightSpecularIntensityMultiplier, 0, 2,
                 "spotlightspecularintensitymultiplierhelp", T("spotlightsspecularintensitymultiplier_help")),
          Tint(T("lightglowcolortint"), s.LightGlowColorTint, "lightglowcolortinthelp", T("lightglowcolortint_help"),
               [&s] { return s.LightGlowEnhancements; }),
          Tint(T("pointlightscolortint"), s.PointLightColorTint, "pointlightcolortinthelp",
               T("pointlightscolortint_help")),
          Tint(T("spotlightscolortint"), s.SpotLightColorTint, "spotlightcolortinthelp",
               T("spotlightscolortint_help"))}});
    const auto glass = [&s] { return s.GlassRenderingEnhancements; };
    sections.push_back(
        {Label("glassrendering"),
         {Switch(T("glassenhancements"), s.GlassRenderingEnhancements, "glasshelp", T("glassenhancements_help")),
          Switch(T("overtintedglassfix"), s.OverTintedGlassFix, "overtintedglassfixhelp", T("overtintedglassfix_help")),
          Slider(T("glassreflectionsintensity"), s.GlassReflectionsIntensity, 0, 2, "glassreflectionsintensity",
                 T("glassreflectionsintensity_help"), glass),
          Slider(T("glassreflectionscolordesaturation"), s.GlassReflectionsColorDesaturation, 0, 1,
                 "glassreflectionscolordesaturation", T("glassreflectionscolordesaturation_help"), glass)},
         addOn ? kGlassNotice : nullptr,
         addOn});
    sections.push_back({"FXAA / Antialiasing##fxaa",
                        {Switch(T("fxaafix"), s.FXAAFix, "fxaafixhelp", T("fxaafix_help")),
                         Slider(T("fxaaedgebluringintensity"), s.FXAAEdgeBluringIntensity, 0, 1,
                                "fxaaedgebluringintensityhelp", T("fxaaedgebluringintensity_help"))}});
    const auto vegetation = [&s] { return s.VegetationShadingEnhancements; };
    sections.push_back(
        {Label("twodvegetation"),
         {Switch(T("vegetationenhancements"), s.VegetationShadingEnhancements, "2dvegetationhelp",
                 T("vegetationenhancements_help")),
          Slider(T("vegetationmaxbrightnessvariationamplitude"), s.VegetationMaxBrightnessVariationAmplitude, 0, 0.5f,
                 "vegetationmaxbrightnessamplitude_help", T("vegetationmaxbrightnessvariationamplitude_help"),
                 vegetation),
          Slider(T("vegetationmaxcolorvariationamplitude"), s.VegetationMaxColorVariationAmplitude, 0, 1,
                 "vegetationmaxcoloramplitude_help", T("vegetationmaxcolorvariationamplitude_help"), vegetation)}});
    sections.push_back(
        {Label("hdrbloom"),
         {Slider(T("hdrexposure"), s.HDRExposure, 0.5f, 2, "hdrexposure_help", T("hdrexposure_help")),
          Slider(T("bloomintensity"), s.BloomIntensity, 0, 2, "bloomintensity_help", T("bloomintensity_help")),
          Slider(T("bloomcolordesaturation"), s.BloomColorDesaturation, 0, 1, "bloomcolordesaturation_help",
                 T("bloomcolordesaturation_help"))},
         nullptr,
         false,
         true});
    sections.push_back(
        {Label("imagecolors"),
         {Switch(T("colorbandingfix"), s.ColorBandingFix, "colorbandingfixhelp", T("colorbandingfix_help")),
          Slider(T("gamma"), s.Gamma, 0, 2, "gamma_help", T("gamma_help")),
          Slider(T("imagesharpness"), s.ImageSharpness, 0, 2, "imagesharpness_help", T("imagesharpness_help")),
          Slider(T("imagecontrastboostmultiplier"), s.ImageContrast, 0, 2, "contrastboost_help",
                 T("imagecontrastboostmultiplier_help")),
          Slider(T("colorvibrance"), s.ColorVibrance, -0.5f, 0.5f, "colorvibrance_help", T("colorvibrance_help")),
          Slider(T("imagegraylevel"), s.ImageGrayLevel, 0, 1, "imagegraylevel_help", T("imagegraylevel_help")),
          Slider(T("imagesepialevel"), s.ImageSepiaLevel, 0, 1, "imagesepia_help", T("imagesepialevel_help"))}});
    return sections;
}

}  // namespace

void ShaderParametersTab() {
    Settings& settings = Settings::Instance();
    ImGui::NewLine();
    ImGui::PushFont(UiState().FontAccent);
    if (LabelButton(Label("restoresettings", "", kIconRestore))) settings.RestoreShaderDefaults();  // nothing saved
    ImGui::PopFont();
    ImGui::NewLine();
    // Every label and control below is in the sections' regular font.
    ImGui::PushFont(UiState().FontRegular);
    const std::vector<Section> sections = Sections(settings.Shader, IsWeatherPackInstalled());
    const Columns columns = LayOut(sections);
    ImGui::PopFont();
    for (const Section& section : sections) {
        if (section.previewFirst) PreviewPanel();
        DrawSection(section, columns);
    }
    ImGui::NewLine();
}
