#include "ui/Widgets.h"

#include <algorithm>

#include <imgui_internal.h>

#include "settings/Settings.h"
#include "ui/UiState.h"

namespace {
ItemObserver g_observer = nullptr;
}  // namespace

float Px(float pixels) { return pixels * UiState().scale; }

std::string Label(const char* key, const std::string& before, const std::string& after) {
    std::string label = before.empty() ? std::string() : before + " ";
    label += T(key);
    if (!after.empty()) label += " " + after;
    return label + "##" + key;
}

void SetItemObserver(ItemObserver observer) { g_observer = observer; }

void NoteItem(const char* kind, std::string_view label) {
    if (!g_observer) return;
    DrawnItem item;
    item.kind = kind;
    const std::size_t hashes = label.find("##");
    item.label = label.substr(0, hashes);
    if (hashes != std::string_view::npos) item.key = label.substr(hashes + 2);
    const ImGuiWindow* window = ImGui::GetCurrentWindowRead();
    item.window = window ? window->Name : "";
    item.visibleRight = window ? window->InnerClipRect.Max.x : 0.0f;
    item.windowHidden = window && window->Hidden;
    item.min = ImGui::GetItemRectMin();
    item.max = ImGui::GetItemRectMax();
    item.textColour = ImGui::GetStyleColorVec4(ImGuiCol_Text);
    item.font = ImGui::GetFont();
    item.labelWidth = ImGui::CalcTextSize(item.label.c_str()).x;
    item.enabled = !(GImGui->LastItemData.InFlags & ImGuiItemFlags_Disabled);
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

void PopupText(const std::string& text) { WrappedTextAt(text, ImGui::GetCursorPosX() + PopupTextWidth()); }

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
    NoteItem("button", label);
    return pressed;
}

bool WideButton(const std::string& label, float height) {
    return LabelButton(label, ImVec2(ImGui::GetContentRegionAvail().x, height));
}

bool MenuEntry(const std::string& label, bool checked, bool enabled) {
    if (!enabled) ImGui::BeginDisabled();
    const bool chosen = ImGui::MenuItem(label.c_str(), nullptr, checked);
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

void BeginParameterSection(const std::string& label) {
    UiStateRecord& ui = UiState();
    ImGui::PushStyleColor(ImGuiCol_Text, kSectionHeaderColour);
    // A header that cannot be folded does not light up under the pointer.
    const ImVec4 header = ImGui::GetStyleColorVec4(ImGuiCol_Header);
    ImGui::PushStyleColor(ImGuiCol_HeaderHovered, header);
    ImGui::PushStyleColor(ImGuiCol_HeaderActive, header);
    ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 0.0f);  // a band, not a control
    ImGui::PushFont(ui.FontLarge);
    ImGui::CollapsingHeader(label.c_str(), ImGuiTreeNodeFlags_Leaf);
    ImGui::PopStyleVar();
    ImGui::PopStyleColor(2);
    NoteItem("section", label);
    ImGui::PushStyleColor(ImGuiCol_Text, kWhite);
    ImGui::PushFont(ui.FontRegular);
    ImGui::NewLine();
}

void EndParameterSection() {
    ImGui::PopFont();
    ImGui::PopStyleColor();
    ImGui::NewLine();
    ImGui::PopFont();
    ImGui::PopStyleColor();
}

void HelpIconButton(const char* helpId, const std::string& helpText, float offsetX) {
    if (!Settings::Instance().HelpIcons) return;
    ImGui::SameLine(offsetX);
    ImGui::PushID(helpId);
    const bool pressed = ImGui::Button(kIconHelp, ImVec2(Px(32), Px(25)));
    NoteItem("help", helpId);
    if (pressed) {
        UiStateRecord& ui = UiState();
        ui.parameterHelpText = helpText;
        ui.parameterHelpRequested = true;
    }
    ImGui::PopID();
}
