// Content of the about popup.
#include <string>

#include <imgui.h>

#include "app/AppPaths.h"
#include "app/Text.h"
#include "ui/Widgets.h"

void DrawAboutContent() {
    ImGui::TextUnformatted("Vantrel version ");
    ImGui::SameLine();
    ImGui::TextUnformatted(WideToUtf8(APP_VERSION).c_str());
    ImGui::TextUnformatted("Copyright (c) 2026 Quillstone");
    ImGui::NewLine();
    ImGui::TextUnformatted(T("about_support").c_str());
    ImGui::TextUnformatted(T("about_thanks").c_str());
    ImGui::NewLine();
    ImGui::TextUnformatted(T("about_dtgcopyright").c_str());
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::BeginChild("eulachild", ImVec2(0.75f * display.x, 0.15f * display.y), true);
    ImGui::TextWrapped("%s", T("dtgeula").c_str());
    ImGui::EndChild();
    if (ImGui::Button(Label("close").c_str(), ImVec2(ImGui::GetContentRegionAvail().x, 32))) ImGui::CloseCurrentPopup();
}
