// Content of the about popup.
#include <string>

#include <imgui.h>

#include "app/AppPaths.h"
#include "app/Text.h"
#include "ui/Panels.h"
#include "ui/Widgets.h"

void DrawAboutContent() {
    PlainText("Vantrel version ");
    ImGui::SameLine();
    PlainText(WideToUtf8(APP_VERSION));  // the running program's, never the installed shaders'
    PlainText("Copyright (c) 2026 Quillstone");
    ImGui::NewLine();
    PlainText(T("about_support"));
    PlainText(T("about_thanks"));
    ImGui::NewLine();
    PlainText(T("about_dtgcopyright"));
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::BeginChild("eulachild", ImVec2(0.75f * display.x, 0.15f * display.y), true);
    WrappedText(T("dtgeula"));
    ImGui::EndChild();
    if (LabelButton(Label("close"), ImVec2(ImGui::GetContentRegionAvail().x, 32))) ImGui::CloseCurrentPopup();
}
