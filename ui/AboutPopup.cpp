// Content of the about popup.
#include <algorithm>
#include <string>

#include <imgui.h>

#include "app/AppPaths.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "ui/Actions.h"
#include "ui/Panels.h"
#include "ui/Widgets.h"

namespace {
// A web address in the accent colour that opens in the browser when clicked.
void Link(const char* address) {
    ColoredText(kAccent, address);
    if (ImGui::IsItemHovered()) {
        ImGui::SetMouseCursor(ImGuiMouseCursor_Hand);
        const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
        ImGui::GetWindowDrawList()->AddLine(ImVec2(min.x, max.y), max, ImGui::GetColorU32(kAccent));
    }
    if (ImGui::IsItemClicked()) OpenWebPage(address);
}
}  // namespace

void DrawAboutContent() {
    // The running program's version, never the installed shaders'.
    PlainText("Vantrel version " + WideToUtf8(APP_VERSION));
    PlainText("Copyright (c) 2026 Quillstone");
    ImGui::NewLine();
    PopupText(T("about_support"));
    Link(kProjectPageAddress);
    PopupText(T("about_thanks"));
    ImGui::NewLine();
    PopupText(T("about_dtgcopyright"));
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    TextBox("eulachild", T("dtgeula"), std::min(0.75f * display.x, PopupTextWidth()), 0.3f * display.y);
    if (WideButton(Label("close"), Px(32))) ImGui::CloseCurrentPopup();
}
