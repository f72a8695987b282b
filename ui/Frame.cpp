// One frame: the popups, then the main window with its menu bar, the bar that
// never scrolls away, and the tabs whose pages scroll beneath it.
#include "ui/Frame.h"

#include <string>

#include <imgui.h>
#include <imgui_internal.h>

#include "settings/Settings.h"
#include "shaders/ShaderInstaller.h"
#include "ui/Actions.h"
#include "ui/GameFolderFacts.h"
#include "ui/KeyboardFocus.h"
#include "ui/Panels.h"
#include "ui/ParamRow.h"
#include "ui/ParametersTab.h"
#include "ui/PreviewPanel.h"
#include "ui/UiHost.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

// Tab labels are bold; the pages set their own fonts.
bool BeginTab(const std::string& label) {
    ImGui::PushFont(UiState().FontBold);
    const bool open = ImGui::BeginTabItem(label.c_str(), nullptr, ImGuiTabItemFlags_NoCloseWithMiddleMouseButton);
    FocusStop();
    NoteItem("tab", label);
    ImGui::PopFont();
    return open;
}

// A tab's page scrolls on its own, under the bar.
template <typename Content>
void ScrollingPage(Content content) {
    ImGui::BeginChild("page", ImVec2(0, 0), false, ImGuiWindowFlags_AlwaysUseWindowPadding);
    content();
    ImGui::EndChild();
}

// A tab's width follows its label from the frame its label changes (another
// language): the bar lays its tabs out before they are drawn, from the names
// they had, so it is given the new names first.
void RenameTabs(const std::string (&labels)[3]) {
    ImGuiTabBar* bar = GImGui->TabBars.GetByKey(ImGui::GetID("tabbar"));
    if (!bar || bar->Tabs.Size != 3) return;
    ImGui::PushOverrideID(bar->ID);
    ImGuiTabItem* tabs[3] = {};
    for (int i = 0; i < 3; ++i) tabs[i] = ImGui::TabBarFindTabByID(bar, ImGui::GetID(labels[i].c_str()));
    ImGui::PopID();
    if (!tabs[0] || !tabs[1] || !tabs[2]) return;
    bar->TabsNames.Buf.resize(0);
    for (int i = 0; i < 3; ++i) {
        tabs[i]->NameOffset = bar->TabsNames.size();
        bar->TabsNames.append(labels[i].c_str(), labels[i].c_str() + labels[i].size() + 1);
    }
}

void Tabs() {
    const std::string labels[3] = {Label("shadersparameters"), Label("presetmanager"), Label("launcher")};
    RenameTabs(labels);
    const ImGuiTabBarFlags flags = ImGuiTabBarFlags_NoCloseWithMiddleMouseButton |
                                   ImGuiTabBarFlags_NoTabListScrollingButtons | ImGuiTabBarFlags_NoTooltip;
    if (!ImGui::BeginTabBar("tabbar", flags)) return;
    // The page is drawn after the bar, so that the keyboard reaches the tabs
    // one after the other, before the page.
    int open = -1;
    for (int i = 0; i < 3; ++i) {
        if (!BeginTab(labels[i])) continue;
        open = i;
        ImGui::EndTabItem();
    }
    ImGui::EndTabBar();
    switch (open) {
        case 0: ShaderParametersTab(); break;  // its columns scroll themselves
        case 1: ScrollingPage(PresetManagerTab); break;
        case 2: ScrollingPage(LauncherTab); break;
        default: break;
    }
}

}  // namespace

// What runs beside the frame must be drawn without waiting for input: the
// install's progress and, when it ends, its result; a preview being computed
// and, when it is ready, its picture; a tooltip waiting for the pointer to rest.
bool FrameNeedsRedraw() {
    return ShaderInstaller::JobIsRunning() || PreviewNeedsRedraw() || ParamTooltipPending();
}

void NoteWindowFocus(bool focused) {
    static bool hadFocus = true;
    if (focused && !hadFocus) RecheckGameFolder();
    hadFocus = focused;
}

void RenderUiFrame() {
    CollectInstallResult();
    const bool shadersOutdated = Settings::Instance().ShadersOutdated();
    UiHostBeginFrame();
    BeginKeyboardFocus();
    HandleShortcuts();
    DeclarePopups();

    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
    // The window itself does not scroll: the bar stays, the pages scroll.
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_MenuBar |
                                   ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse |
                                   ImGuiWindowFlags_NoBringToFrontOnFocus;
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(Px(12), Px(8)));
    const bool shown = ImGui::Begin("Vantrel", nullptr, flags);
    ImGui::PopStyleVar();
    if (shown) {
        DrawMenuBar();
        if (DrawTopBar(shadersOutdated)) Tabs();
    }
    ImGui::End();
    EndKeyboardFocus();
    UiHostEndFrameAndPresent();
}
