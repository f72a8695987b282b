// One frame: the popups, then the main window with its menu bar, header and tabs.
#include "ui/Frame.h"

#include <string>

#include <imgui.h>

#include "settings/Settings.h"
#include "shaders/ShaderInstaller.h"
#include "ui/Actions.h"
#include "ui/Panels.h"
#include "ui/ParametersTab.h"
#include "ui/PreviewPanel.h"
#include "ui/UiHost.h"
#include "ui/UiState.h"
#include "ui/WeatherAddOn.h"
#include "ui/Widgets.h"

namespace {

bool BeginTab(const std::string& label) {
    const bool open = ImGui::BeginTabItem(label.c_str(), nullptr, ImGuiTabItemFlags_NoCloseWithMiddleMouseButton);
    NoteItem("tab", label);
    return open;
}

// The tab labels are in the large font; so is whatever a tab does not set itself.
void Tabs() {
    const ImGuiTabBarFlags flags = ImGuiTabBarFlags_NoCloseWithMiddleMouseButton |
                                   ImGuiTabBarFlags_NoTabListScrollingButtons | ImGuiTabBarFlags_NoTooltip;
    ImGui::PushFont(UiState().FontLarge);
    if (ImGui::BeginTabBar("tabbar", flags)) {
        if (BeginTab(Label("shadersparameters"))) {
            ShaderParametersTab();
            ImGui::EndTabItem();
        }
        if (BeginTab(Label("presetmanager"))) {
            PresetManagerTab();
            ImGui::EndTabItem();
        }
        if (BeginTab(Label("launcher"))) {
            LauncherTab();
            ImGui::EndTabItem();
        }
        ImGui::EndTabBar();
    }
    ImGui::PopFont();
}

}  // namespace

// What runs beside the frame must be drawn without waiting for input: the
// install's progress and, when it ends, its result; a preview being computed
// and, when it is ready, its picture.
bool FrameNeedsRedraw() { return ShaderInstaller::InstallIsRunning() || PreviewNeedsRedraw(); }

void NoteWindowFocus(bool focused) {
    static bool hadFocus = true;
    if (focused && !hadFocus) RecheckWeatherAddOn();
    hadFocus = focused;
}

void RenderUiFrame() {
    CollectInstallResult();
    const bool shadersOutdated = Settings::Instance().ShadersOutdated();
    UiHostBeginFrame();
    DeclarePopups();

    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_MenuBar;
    if (ImGui::Begin("Vantrel", nullptr, flags)) {
        if (!DrawMenuBar()) {
            // "quit" asks the main loop to end as closing the window does; the
            // frame is still ended, so the UI library stays consistent.
            ImGui::End();
            UiHostRequestQuit();
            UiHostEndFrameAndPresent();
            return;
        }
        if (DrawHeader(shadersOutdated)) {
            DrawInstallAndRestoreButtons(shadersOutdated);
            Tabs();
        }
    }
    ImGui::End();
    UiHostEndFrameAndPresent();
}
