#include "ui/Widgets.h"

#include <algorithm>

#include <imgui_internal.h>

#include "settings/Settings.h"
#include "ui/KeyboardFocus.h"
#include "ui/UiState.h"

namespace {
ItemObserver g_observer = nullptr;
}  // namespace

float Px(float pixels) { return pixels * UiState().scale; }

std::string Label(const char* key, const std::string& before, const std::string& after) {
    std::string label = before.empty() ? std::string() : before + " ";
    label += T(key);
    if (!after.empty()) label += " " + after;
    return label + "###" + key;
}

std::string Filled(std::string text, const TextFields& fields) {
    for (const auto& [name, value] : fields) {
        const std::string field = "{" + name + "}";
        for (size_t at = text.find(field); at != std::string::npos; at = text.find(field, at + value.size())) {
            text.replace(at, field.size(), value);
        }
    }
    return text;
}

void SetItemObserver(ItemObserver observer) { g_observer = observer; }

void NoteItem(const char* kind, std::string_view label) {
    if (!g_observer) return;
    DrawnItem item;
    item.kind = kind;
    const std::size_t hashes = label.find("##");
    item.label = label.substr(0, hashes);
    if (hashes != std::string_view::npos) item.key = label.substr(label.find_first_not_of('#', hashes));
    const ImGuiWindow* window = ImGui::GetCurrentWindowRead();
    item.window = window ? window->Name : "";
    item.visibleRight = window ? window->InnerClipRect.Max.x : 0.0f;
    item.visibleTop = window ? window->InnerClipRect.Min.y : 0.0f;
    item.visibleBottom = window ? window->InnerClipRect.Max.y : 0.0f;
    item.windowHidden = window && window->Hidden;
    item.min = ImGui::GetItemRectMin();
    item.max = ImGui::GetItemRectMax();
    item.textColour = ImGui::GetStyleColorVec4(ImGuiCol_Text);
    item.font = ImGui::GetFont();
    item.labelWidth = ImGui::CalcTextSize(item.label.c_str()).x;
    item.enabled = !(GImGui->LastItemData.InFlags & ImGuiItemFlags_Disabled);
    item.focused = HasVisibleKeyboardFocus();
    g_observer(item);
}

void PlainText(const std::string& text) {
    ImGui::TextUnformatted(text.c_str(), text.c_str() + text.size());
    NoteItem("text", text);
}

void ColoredText(const ImVec4& colour, const std::string& text) {
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    PlainText(text);
    ImGui::PopStyleColor();
}

void WrappedTextAt(const std::string& text, float wrapPosX, const char* kind) {
    ImGui::PushTextWrapPos(wrapPosX);
    ImGui::TextUnformatted(text.c_str(), text.c_str() + text.size());
    ImGui::PopTextWrapPos();
    NoteItem(kind, text);
}

void WrappedText(const std::string& text) { WrappedTextAt(text, 0.0f); }

void ColoredWrappedText(const ImVec4& colour, const std::string& text) {
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    WrappedText(text);
    ImGui::PopStyleColor();
}

float PopupMaxWidth() { return 0.8f * ImGui::GetIO().DisplaySize.x; }

float PopupTextWidth() { return PopupMaxWidth() - 2.0f * ImGui::GetStyle().WindowPadding.x; }

// Lines of a comfortable length to read.
void PopupText(const std::string& text) {
    WrappedTextAt(text, ImGui::GetCursorPosX() + std::min(PopupTextWidth(), Px(640)));
}

void ColoredPopupText(const ImVec4& colour, const std::string& text) {
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    PopupText(text);
    ImGui::PopStyleColor();
}

void TextBox(const char* id, const std::string& text, float width, float maxHeight) {
    const ImGuiStyle& style = ImGui::GetStyle();
    const float wrap = width - 2.0f * style.WindowPadding.x - style.ScrollbarSize;
    const float textHeight = ImGui::CalcTextSize(text.c_str(), text.c_str() + text.size(), false, wrap).y;
    const float height = std::min(maxHeight, textHeight + 2.0f * style.WindowPadding.y);
    ImGui::BeginChild(id, ImVec2(width, height), true);
    WrappedText(text);
    ImGui::EndChild();
}

bool LabelButton(const std::string& label, const ImVec2& size) {
    ImVec2 fitted = size;
    const float needed = ImGui::CalcTextSize(label.c_str(), nullptr, true).x + 2.0f * ImGui::GetStyle().FramePadding.x;
    if (fitted.x > 0.0f && fitted.x < needed) fitted.x = needed;
    const bool pressed = ImGui::Button(label.c_str(), fitted);
    FocusStop();
    NoteItem("button", label);
    return pressed;
}

bool PrimaryButton(const std::string& label, const ImVec2& size) {
    ImGui::PushStyleColor(ImGuiCol_Button, kAccentDeep);
    ImGui::PushStyleColor(ImGuiCol_ButtonHovered, kAccentHover);
    ImGui::PushStyleColor(ImGuiCol_ButtonActive, kAccentPressed);
    ImGui::PushStyleColor(ImGuiCol_Text, kWhite);
    ImGui::PushFont(UiState().FontBold);
    const bool pressed = LabelButton(label, size);
    ImGui::PopFont();
    ImGui::PopStyleColor(4);
    return pressed;
}

bool WideButton(const std::string& label, float height) {
    return LabelButton(label, ImVec2(ImGui::GetContentRegionAvail().x, height));
}

bool MenuEntry(const std::string& label, bool checked, bool enabled, const char* shortcut) {
    if (!enabled) ImGui::BeginDisabled();
    const bool chosen = ImGui::MenuItem(label.c_str(), shortcut, checked);
    NoteItem("menuitem", label);
    if (!enabled) ImGui::EndDisabled();
    return chosen;
}

bool BeginMenuNamed(const std::string& label) {
    const bool open = ImGui::BeginMenu(label.c_str());
    NoteItem("menu", label);
    return open;
}

void Gap() { ImGui::Dummy(ImVec2(0.0f, 0.5f * ImGui::GetTextLineHeight())); }

void BeginParameterSection(const std::string& label, const std::string& marker) {
    UiStateRecord& ui = UiState();
    ImGui::PushFont(ui.FontBold);
    ImGui::PushStyleColor(ImGuiCol_Text, kSectionHeaderColour);
    const std::string shown = label.substr(0, label.find("##"));
    ImGui::TextUnformatted(shown.c_str(), shown.c_str() + shown.size());
    NoteItem("section", label);
    ImGui::PopStyleColor();
    ImGui::PopFont();
    if (!marker.empty()) {
        ImGui::SameLine(0.0f, Px(12));
        ColoredText(kQuietText, marker);
    }
    // A rule just under the name, across the column.
    const ImVec2 next = ImGui::GetCursorScreenPos();
    const float y = next.y - ImGui::GetStyle().ItemSpacing.y + Px(3);
    ImGui::GetWindowDrawList()->AddLine(ImVec2(next.x, y), ImVec2(next.x + ImGui::GetContentRegionAvail().x, y),
                                        ImGui::GetColorU32(ImGuiCol_Separator), Px(1));
    ImGui::Dummy(ImVec2(0.0f, Px(1)));
    ImGui::PushStyleColor(ImGuiCol_Text, kWhite);
    ImGui::PushFont(ui.FontRegular);
}

void EndParameterSection() {
    ImGui::PopFont();
    ImGui::PopStyleColor();
    ImGui::Dummy(ImVec2(0.0f, Px(6)));
}

void HelpTooltip(const std::string& title, const std::string& text, const std::string& footnote, const ImVec2* at) {
    // Not over a popup, even one opened in this frame and not drawn yet.
    const bool inPopup = GImGui->CurrentWindow->RootWindow->Flags & ImGuiWindowFlags_Popup;
    if (!inPopup && ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId)) return;
    if (at) ImGui::SetNextWindowPos(*at);
    ImGui::BeginTooltip();
    const float wrap = Px(440);
    ImGui::PushFont(UiState().FontBold);
    WrappedTextAt(title, wrap, "tooltip");
    ImGui::PopFont();
    WrappedTextAt(text, wrap, "tooltip");
    if (!footnote.empty()) {
        ImGui::PushStyleColor(ImGuiCol_Text, kQuietText);
        WrappedTextAt(footnote, wrap, "tooltip");
        ImGui::PopStyleColor();
    }
    ImGui::EndTooltip();
}

bool HelpIconButton(const char* helpId, const std::string& name, const std::string& helpText, float offsetX) {
    if (!Settings::Instance().HelpIcons) return false;
    ImGui::SameLine(offsetX);
    ImGui::PushID(helpId);
    // An icon, not a framed button: it must not compete with the controls.
    ImGui::PushStyleColor(ImGuiCol_Button, ImVec4(0, 0, 0, 0));
    ImGui::PushStyleColor(ImGuiCol_Text, kQuietText);
    ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 0.0f);
    const bool pressed = ImGui::Button(kIconHelp, ImVec2(Px(28), ImGui::GetFrameHeight()));
    ImGui::PopStyleVar();
    ImGui::PopStyleColor(2);
    FocusStop();
    NoteItem("help", helpId);
    const bool hovered = ImGui::IsItemHovered();
    if (pressed) {
        UiStateRecord& ui = UiState();
        ui.parameterHelpName = name;
        ui.parameterHelpText = helpText;
        ui.parameterHelpRequested = true;
    }
    ImGui::PopID();
    return hovered;
}
