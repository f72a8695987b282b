// The first tab: every shader parameter in its section, with the help buttons
// and the notices that take the place of what the weather add-on handles.
// Sections, rows and their texts come from the parameter table and are made
// once per language and add-on state. Each section is a list of rows laid out
// as a form: one column of labels for the whole tab, the controls after
// them, then the slider values and the help buttons. Whether a dependent row
// shows is asked when it is drawn, so a switch turned on shows its dependants
// in the same frame.
#include "ui/ParametersTab.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include <imgui.h>
#include <imgui_internal.h>

#include "settings/Localization.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "ui/PreviewPanel.h"
#include "ui/UiState.h"
#include "ui/WeatherAddOn.h"
#include "ui/Widgets.h"

namespace {

struct Row {
    const ParamDesc* param;
    std::string label, help;  // in the current language
};

struct Section {
    std::string label;        // the header, with its identity
    std::string notice;       // what the weather add-on's presence means here, if anything
    bool noticeOnly = false;  // the notice takes the place of every row
    bool previewFirst = false;
    std::vector<Row> rows;    // all of them, shown or not, in their order
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

// Three decimals with a full stop whatever the locale, and no unit yet.
std::string ValueText(float value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
    return std::string(text, written.ptr);
}

// Unless the add-on took it over, a row shows while its switch is on and shown.
bool Shown(const ParamDesc& param, const ShaderSettings& shader, bool addOn) {
    if (addOn && LeftToWeatherAddOn(param)) return false;
    const ParamDesc* on = SwitchOf(param);
    return !on || (shader.*on->boolField && Shown(*on, shader, addOn));
}

void RowLabel(const Row& row, const Columns& c) {
    ImGui::AlignTextToFramePadding();
    WrappedTextAt(row.label, c.label + c.labelWidth, "label");
}

// True when the row's value changed.
bool Control(const Row& row, ShaderSettings& shader, const Columns& c, bool labelClicked) {
    const ParamDesc& param = *row.param;
    ImGui::SameLine(c.control);
    switch (param.kind) {
        case ParamKind::Bool: {
            bool& field = shader.*param.boolField;
            bool changed = ImGui::Checkbox("##switch", &field);
            NoteItem("check", row.label);
            // The label is part of the switch, as it is beside a plain check box.
            if (labelClicked && !changed) {
                field = !field;
                changed = true;
            }
            return changed;
        }
        case ParamKind::Float: {
            float& field = shader.*param.floatField;
            ImGui::SetNextItemWidth(c.controlWidth);
            // The value is written beside the slider, where the grab cannot
            // cover it; inside, it shows only while typed in (Ctrl+click).
            const bool typing = ImGui::TempInputIsActive(ImGui::GetID("##slider"));
            if (!typing) ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0, 0, 0, 0));
            const bool changed = ImGui::SliderFloat("##slider", &field, param.min, param.max, "%.3f");
            if (!typing) ImGui::PopStyleColor();
            NoteItem("slider", row.label);
            const std::string value = ValueText(field);
            ImGui::SameLine(c.value + c.valueWidth - ImGui::CalcTextSize(value.c_str()).x);
            PlainText(value);
            return changed;
        }
        case ParamKind::Tint: {
            ImGui::SetNextItemWidth(c.controlWidth + c.valueWidth + ImGui::GetStyle().ItemSpacing.x);
            const bool changed = ImGui::ColorEdit3("##tint", &(shader.*param.tintField).r);
            NoteItem("colour", row.label);
            return changed;
        }
    }
    return false;
}

void DrawRow(const Row& row, ShaderSettings& shader, const Columns& c) {
    ImGui::PushID(row.param->helpId);  // so equal labels never share a widget
    RowLabel(row, c);
    const bool labelClicked = row.param->kind == ParamKind::Bool && ImGui::IsItemClicked();
    const bool changed = Control(row, shader, c, labelClicked);
    ImGui::PopID();
    if (changed) Settings::Instance().RequestShadersUpdate();
    HelpIconButton(row.param->helpId, row.help, c.help);
}

void DrawSection(const Section& section, ShaderSettings& shader, bool addOn, const Columns& c) {
    BeginParameterSection(section.label);
    if (!section.notice.empty()) {
        ColoredWrappedText(WarningColor, section.notice);
        if (!section.noticeOnly) ImGui::NewLine();
    }
    if (!section.noticeOnly) {
        for (const Row& row : section.rows) {
            if (Shown(*row.param, shader, addOn)) DrawRow(row, shader, c);
        }
    }
    EndParameterSection();
}

std::vector<Section> MakeSections(bool addOn) {
    std::vector<Section> sections;
    for (const ParamSection& from : ParamSections()) {
        Section& section = sections.emplace_back();
        section.previewFirst = from.previewFirst;
        section.label = from.literal ? std::string(from.literal) + "##" + from.key : Label(from.key);
        if (addOn && from.addOnNotice) {
            section.notice = Localization::Text(from.addOnNotice);
            section.noticeOnly = from.addOnTakesAll;
        }
        for (const ParamDesc& param : ShaderParamTable()) {
            if (param.section && std::string_view(param.section) == from.key)
                section.rows.push_back({&param, Localization::Text(param.label), Localization::Text(param.help)});
        }
        std::sort(section.rows.begin(), section.rows.end(),
                  [](const Row& a, const Row& b) { return a.param->place < b.param->place; });
    }
    return sections;
}

// The tab's texts, made again only when the catalogue, the language or the
// add-on's presence changed.
struct Texts {
    unsigned catalogue = 0;
    uint32_t language = 0;
    bool addOn = false;
    bool made = false;
    std::string restore;
    std::vector<Section> sections;
};

const Texts& CurrentTexts(bool addOn) {
    static Texts texts;
    const unsigned catalogue = Localization::Revision();
    const uint32_t language = Settings::Instance().Language;
    if (!texts.made || texts.catalogue != catalogue || texts.language != language || texts.addOn != addOn) {
        texts = {catalogue, language, addOn, true, Label("restoresettings", "", kIconRestore), MakeSections(addOn)};
    }
    return texts;
}

}  // namespace

void ShaderParametersTab() {
    Settings& settings = Settings::Instance();
    const bool addOn = WeatherAddOnShown();
    const Texts& texts = CurrentTexts(addOn);
    ImGui::NewLine();
    ImGui::PushFont(UiState().FontAccent);
    if (LabelButton(texts.restore)) settings.RestoreShaderDefaults();  // nothing saved
    ImGui::PopFont();
    ImGui::NewLine();
    // Every label and control below is in the sections' regular font.
    ImGui::PushFont(UiState().FontRegular);
    const Columns columns = LayOut(texts.sections);
    ImGui::PopFont();
    for (const Section& section : texts.sections) {
        if (section.previewFirst) PreviewPanel();
        DrawSection(section, settings.Shader, addOn, columns);
    }
    ImGui::NewLine();
}
