#include "ui/ParamRow.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <imgui.h>
#include <imgui_internal.h>

#include "settings/Localization.h"
#include "settings/Settings.h"
#include "ui/KeyboardFocus.h"
#include "ui/UiState.h"
#include "ui/ValueFormat.h"
#include "ui/Widgets.h"

namespace {

// The pointer rests this long on a label or an icon before its help shows.
constexpr double kTooltipDelay = 0.4;

UiStateRecord::Resting& Clock() { return UiState().resting; }
UiStateRecord::Typing& Entry() { return UiState().typing; }

uint32_t Language() { return Settings::Instance().Language; }

std::string DefaultValueText(const ParamDesc& param) {
    switch (param.kind) {
        case ParamKind::Bool: return Localization::Text(param.defaultBool ? "switchon" : "switchoff");
        case ParamKind::Float: return FormatParamValue(param, param.defaultFloat, Language());
        case ParamKind::Tint: return Localization::Text("tintwhite");
    }
    return "";
}

// Digits, a sign, either decimal separator and spaces: what a value is typed with.
int NumberCharacters(ImGuiInputTextCallbackData* data) {
    const ImWchar c = data->EventChar;
    return (c >= '0' && c <= '9') || c == '.' || c == ',' || c == '-' || c == '+' || c == ' ' ? 0 : 1;
}

void OpenEntry(ImGuiID slider, const ParamDesc& param, float value) {
    UiStateRecord::Typing& entry = Entry();
    entry.slider = slider;
    entry.framesWaiting = 0;
    const std::string number = FormatParamNumber(param, value, Language());
    std::snprintf(entry.text, sizeof entry.text, "%s", number.c_str());
    std::memcpy(entry.opened, entry.text, sizeof entry.opened);
    entry.focusAsked = false;
}

// The typed value replaces the slider until Enter, a click elsewhere or
// Escape (which brings the text back as it opened); a changed text is then
// taken when it is a number, brought within the slider's range and onto its step.
bool TypedValue(const ParamRow& row, float& field, float width) {
    UiStateRecord::Typing& entry = Entry();
    if (!entry.focusAsked) ImGui::SetKeyboardFocusHere();
    entry.focusAsked = true;
    ImGui::SetNextItemWidth(width);
    ImGui::InputText("##entry", entry.text, sizeof entry.text, ImGuiInputTextFlags_AutoSelectAll |
                     ImGuiInputTextFlags_CallbackCharFilter, NumberCharacters);
    NoteItem("entry", row.label);
    if (ImGui::IsItemActive()) {
        entry.framesWaiting = 0;
        return false;
    }
    // The field takes the keyboard a frame or two after it was asked to.
    if (!ImGui::IsItemDeactivated()) {
        if (++entry.framesWaiting > 3) entry.slider = 0;
        return false;
    }
    entry.slider = 0;
    float typed = 0.0f;
    const ParamDesc& param = *row.param;
    if (std::strcmp(entry.text, entry.opened) == 0 || !ParseParamNumber(param, entry.text, typed)) return false;
    const float before = field;
    field = RoundToParamStep(param, std::clamp(typed, param.min, param.max));
    return field != before;
}

bool Slider(const ParamRow& row, float& field, const RowColumns& c) {
    const ParamDesc& param = *row.param;
    const ImGuiID id = ImGui::GetID("##slider");
    if (Entry().slider == id) return TypedValue(row, field, c.controlWidth);
    const ImGuiIO& io = ImGui::GetIO();
    const float before = field;
    ImGui::SetNextItemWidth(c.controlWidth);
    // The value stands beside the slider, where the grab cannot cover it; the
    // slider's own text only sets the step it rounds to.
    char step[8];
    std::snprintf(step, sizeof step, "%%.%df", param.decimals + (param.unit == ParamUnit::Percent ? 2 : 0));
    ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0, 0, 0, 0));
    ImGui::SliderFloat("##slider", &field, param.min, param.max, step, ImGuiSliderFlags_NoInput);
    ImGui::PopStyleColor();
    FocusStop();
    NoteItem("slider", row.label);
    if (ImGui::IsItemActivated() && !io.MouseDoubleClicked[0]) Entry().valueBeforePress = before;
    const bool hovered = ImGui::IsItemHovered();
    const bool byMouse = hovered && ((io.KeyCtrl && io.MouseClicked[0]) || io.MouseDoubleClicked[0]);
    const bool byKey = HasVisibleKeyboardFocus() && (ImGui::IsKeyPressedMap(ImGuiKey_Enter, false) ||
                                                     ImGui::IsKeyPressedMap(ImGuiKey_KeyPadEnter, false));
    if (byMouse || byKey) {
        if (byMouse) field = Entry().valueBeforePress;
        ImGui::ClearActiveID();
        OpenEntry(id, param, field);
    }
    return field != before;
}

void ValueText(const ParamRow& row, float value, const RowColumns& c) {
    const std::string text = FormatParamValue(*row.param, value, Language());
    ImGui::SameLine(c.value + c.valueWidth - ImGui::CalcTextSize(text.c_str()).x);
    PlainText(text);
}

// True when the row's value changed; labelClicked: a click on a switch's
// label flips it, as it does beside a plain check box.
bool Control(const ParamRow& row, ShaderSettings& shader, const RowColumns& c, bool labelClicked,
             bool& focused, ImRect& rect) {
    const ParamDesc& param = *row.param;
    ImGui::SameLine(c.control);
    bool changed = false;
    switch (param.kind) {
        case ParamKind::Bool: {
            bool& field = shader.*param.boolField;
            changed = ImGui::Checkbox("##switch", &field);
            FocusStop();
            NoteItem("check", row.label);
            if (labelClicked && !changed) {
                field = !field;
                changed = true;
            }
            break;
        }
        case ParamKind::Float: {
            float& field = shader.*param.floatField;
            changed = Slider(row, field, c);
            focused = HasVisibleKeyboardFocus();
            rect = GImGui->LastItemData.Rect;
            ValueText(row, field, c);
            return changed;
        }
        case ParamKind::Tint: {
            ImGui::PushID("##tint");
            const ImGuiID first = ImGui::GetID("##X");  // the red channel's field
            ImGui::PopID();
            ImGui::SetNextItemWidth(c.controlWidth + c.valueWidth + ImGui::GetStyle().ItemSpacing.x);
            changed = ImGui::ColorEdit3("##tint", &(shader.*param.tintField).r);
            GImGui->LastItemData.ID = first;
            FocusStop();
            NoteItem("colour", row.label);
            break;
        }
    }
    focused = HasVisibleKeyboardFocus();
    rect = GImGui->LastItemData.Rect;
    return changed;
}

void ResetMenu(const ParamRow& row, ShaderSettings& shader, bool rowClicked, bool& changed) {
    if (rowClicked) ImGui::OpenPopup("##rowmenu");
    if (!ImGui::BeginPopup("##rowmenu")) return;
    if (MenuEntry(row.resetLabel)) {
        const ShaderSettings before = shader;
        ApplyDefault(shader, *row.param);
        changed = changed || !(shader == before);
    }
    ImGui::EndPopup();
}

void Tooltip(const ParamRow& row, bool hovered, bool focused, const ImRect& control) {
    UiStateRecord::Resting& clock = Clock();
    const ImGuiID id = ImGui::GetID("##row");
    if (hovered) {
        clock.seenThisFrame = true;
        if (clock.row != id) {
            clock.row = id;
            clock.since = ImGui::GetTime();
        }
        if (ImGui::GetTime() - clock.since < kTooltipDelay) {
            clock.pending = true;
            return;
        }
        HelpTooltip(row.label, row.help, row.defaultText);
    } else if (focused && !ImGui::IsPopupOpen("##rowmenu")) {
        const ImVec2 below(control.Min.x, control.Max.y + Px(6));
        HelpTooltip(row.label, row.help, row.defaultText, &below);
    }
}

}  // namespace

ParamRow MakeParamRow(const ParamDesc& param) {
    ParamRow row;
    row.param = &param;
    row.label = Localization::Text(param.label);
    row.help = Localization::Text(param.help);
    const std::string value = DefaultValueText(param);
    row.defaultText = Localization::Text("defaultvalue") + " " + value;
    row.resetLabel = Localization::Text("resettodefault") + " (" + value + ")###reset";
    return row;
}

void BeginParamRows() {
    UiStateRecord::Resting& clock = Clock();
    clock.seenThisFrame = false;
    clock.pending = false;
}

void EndParamRows() {
    UiStateRecord::Resting& clock = Clock();
    if (!clock.seenThisFrame) clock.row = 0;
}

bool ParamTooltipPending() { return Clock().pending; }

bool DrawParamRow(const ParamRow& row, ShaderSettings& shader, const RowColumns& c) {
    const ParamDesc& param = *row.param;
    ImGui::PushID(param.helpId);  // so equal labels never share a widget
    ImGui::AlignTextToFramePadding();
    WrappedTextAt(row.label, c.label + c.labelWidth, "label");
    const bool labelHovered = ImGui::IsItemHovered();
    const bool labelClicked = param.kind == ParamKind::Bool && ImGui::IsItemClicked();
    bool focused = false;
    ImRect control;
    bool changed = Control(row, shader, c, labelClicked, focused, control);
    const bool controlHovered = ImGui::IsWindowHovered() && ImGui::IsMouseHoveringRect(control.Min, control.Max);
    const bool rightClicked = (labelHovered || controlHovered) && ImGui::IsMouseReleased(ImGuiMouseButton_Right);
    const bool iconHovered = HelpIconButton(param.helpId, row.label, row.help, c.help);
    ResetMenu(row, shader, rightClicked, changed);
    Tooltip(row, labelHovered || iconHovered, focused, control);
    ImGui::PopID();
    if (changed) Settings::Instance().RequestShadersUpdate();
    return changed;
}
