// Content of the about popup.
#include <algorithm>
#include <cmath>
#include <string>

#include <imgui.h>

#include "app/AppPaths.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "ui/Actions.h"
#include "ui/DialogButtons.h"
#include "ui/Panels.h"
#include "ui/UiState.h"
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
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float width = std::min(0.75f * display.x, PopupTextWidth());
    // The logo, a 1900 x 250 picture, across the box.
    const float logoWidth = std::min(width, Px(760));
    ImGui::Image(UiState().logoTexture, ImVec2(logoWidth, std::floor(logoWidth / 1900.0f * 250.0f)));
    NoteItem("logo", "");
    // The running program's version, never the installed shaders'.
    PlainText(Filled(T("aboutversion"), {{"version", WideToUtf8(APP_VERSION)}}));
    PlainText("Copyright (c) 2026 Quillstone");
    Gap();
    PopupText(T("about_support"));
    Link(kProjectPageAddress);
    PopupText(T("about_thanks"));
    Gap();
    PopupText(T("about_dtgcopyright"));
    TextBox("eulachild", T("dtgeula"), width, 0.3f * display.y);
    if (DialogButtons({{Label("close")}}, 0, 0) != kNoButton) ImGui::CloseCurrentPopup();
}
