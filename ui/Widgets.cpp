#include "ui/Widgets.h"

#include "settings/Settings.h"
#include "ui/UiState.h"

void ColoredText(const ImVec4& colour, const std::string& text) {
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    ImGui::TextUnformatted(text.c_str());
    ImGui::PopStyleColor();
}

void BeginParameterSection(const std::string& label) {
    UiStateRecord& ui = UiState();
    ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1.0f, 0.65f, 0.1f, 1.0f));
    ImGui::PushFont(ui.FontLarge);
    ImGui::CollapsingHeader(label.c_str(), ImGuiTreeNodeFlags_Leaf);
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

void HelpIconButton(const char* helpId, const char* helpKey) {
    if (!Settings::Instance().HelpIcons) return;
    ImGui::SameLine();
    ImGui::PushID(helpId);
    if (ImGui::Button(kIconHelp, ImVec2(32, 25))) {
        UiStateRecord& ui = UiState();
        ui.parameterHelpText = Localization::Text(helpKey);
        ui.parameterHelpRequested = true;
    }
    ImGui::PopID();
}
