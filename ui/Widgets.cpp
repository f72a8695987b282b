#include "ui/Widgets.h"

#include <imgui_internal.h>

#include "settings/Settings.h"
#include "ui/UiState.h"

namespace {
ItemObserver g_observer = nullptr;
}  // namespace

std::string Label(const char* key, const std::string& before, const std::string& after) {
    return before + T(key) + after + "##" + key;
}

void SetItemObserver(ItemObserver observer) { g_observer = observer; }

void NoteItem(const char* kind, const std::string& label) {
    if (!g_observer) return;
    DrawnItem item;
    item.kind = kind;
    const std::size_t hashes = label.find("##");
    item.label = label.substr(0, hashes);
    if (hashes != std::string::npos) item.key = label.substr(hashes + 2);
    const ImGuiWindow* window = ImGui::GetCurrentWindowRead();
    item.window = window ? window->Name : "";
    item.min = ImGui::GetItemRectMin();
    item.max = ImGui::GetItemRectMax();
    item.textColour = ImGui::GetStyleColorVec4(ImGuiCol_Text);
    item.font = ImGui::GetFont();
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

void WrappedText(const std::string& text) {
    ImGui::PushTextWrapPos(0.0f);
    ImGui::TextUnformatted(text.c_str(), text.c_str() + text.size());
    ImGui::PopTextWrapPos();
    NoteItem("text", text);
}

void ColoredWrappedText(const ImVec4& colour, const std::string& text) {
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    WrappedText(text);
    ImGui::PopStyleColor();
}

bool LabelButton(const std::string& label, const ImVec2& size) {
    const bool pressed = ImGui::Button(label.c_str(), size);
    NoteItem("button", label);
    return pressed;
}

bool MenuEntry(const std::string& label, bool checked) {
    const bool chosen = ImGui::MenuItem(label.c_str(), nullptr, checked);
    NoteItem("menuitem", label);
    return chosen;
}

bool BeginMenuNamed(const std::string& label) {
    const bool open = ImGui::BeginMenu(label.c_str());
    NoteItem("menu", label);
    return open;
}

void BeginParameterSection(const std::string& label) {
    UiStateRecord& ui = UiState();
    ImGui::PushStyleColor(ImGuiCol_Text, kSectionHeaderColour);
    ImGui::PushFont(ui.FontLarge);
    ImGui::CollapsingHeader(label.c_str(), ImGuiTreeNodeFlags_Leaf);
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

void HelpIconButton(const char* helpId, const std::string& helpText) {
    if (!Settings::Instance().HelpIcons) return;
    ImGui::SameLine();
    ImGui::PushID(helpId);
    const bool pressed = ImGui::Button(kIconHelp, ImVec2(32, 25));
    NoteItem("help", helpId);
    if (pressed) {
        UiStateRecord& ui = UiState();
        ui.parameterHelpText = helpText;
        ui.parameterHelpRequested = true;
    }
    ImGui::PopID();
}
