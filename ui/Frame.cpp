// One frame of the main window: popups, menu bar, header and the tabs.
#include "ui/Frame.h"

#include <algorithm>
#include <string>

#include <imgui.h>

#include "app/AppPaths.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "game/GameFolder.h"
#include "game/GameLauncher.h"
#include "settings/Settings.h"
#include "ui/Panels.h"
#include "ui/ParametersTab.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

void Spacing(int count) {
    for (int i = 0; i < count; ++i) ImGui::Spacing();
}

void ChooseLanguage(uint32_t language) {
    Settings& settings = Settings::Instance();
    settings.Language = language;
    settings.Save(u"");
}

// Returns false when the user chose to quit.
bool MenuBar() {
    Settings& settings = Settings::Instance();
    UiStateRecord& ui = UiState();
    if (!ImGui::BeginMenuBar()) return true;
    bool keepGoing = true;
    if (ImGui::BeginMenu(Label("file").c_str())) {
        if (!settings.TSPath.empty()) {
            if (ImGui::MenuItem(Label("installbutton").c_str())) ui.compileWarningRequested = true;
            if (ImGui::MenuItem(Label("restorebutton").c_str())) RunRestoreFlow();
            ImGui::Separator();
        }
        // The menu import opens no notice; the preset tab's button does.
        if (ImGui::MenuItem(Label("presetimport").c_str())) ImportPresetFromDialog();
        if (ImGui::MenuItem(Label("presetexport").c_str())) ExportPresetFromDialog();
        ImGui::Separator();
        if (ImGui::MenuItem(Label("opentsdirectory").c_str())) OpenFolderInShell(settings.TSPath);
        if (ImGui::MenuItem(Label("launchts32").c_str())) LaunchGame(GameVariant::Bit32);
        if (ImGui::MenuItem(Label("launchts64").c_str())) LaunchGame(GameVariant::Bit64);
        ImGui::Separator();
        if (ImGui::MenuItem(Label("quit").c_str())) keepGoing = false;
        ImGui::EndMenu();
    }
    Spacing(4);
    if (keepGoing && ImGui::BeginMenu(Label("view").c_str())) {
        if (ImGui::MenuItem(Label("helpicons").c_str(), nullptr, settings.HelpIcons)) {
            settings.HelpIcons = !settings.HelpIcons;
            settings.Save(u"");
        }
        ImGui::EndMenu();
    }
    Spacing(4);
    if (keepGoing && ImGui::BeginMenu(Label("settings").c_str())) {
        if (ImGui::BeginMenu(Label("language").c_str())) {
            if (ImGui::MenuItem(Label("lang_english").c_str(), nullptr, settings.Language == 0)) ChooseLanguage(0);
            if (ImGui::MenuItem(Label("lang_french").c_str(), nullptr, settings.Language == 1)) ChooseLanguage(1);
            if (ImGui::MenuItem(Label("lang_german").c_str(), nullptr, settings.Language == 2)) ChooseLanguage(2);
            ImGui::EndMenu();
        }
        ImGui::EndMenu();
    }
    Spacing(4);
    if (keepGoing && ImGui::MenuItem(Label("about").c_str())) ui.aboutRequested = true;
    ImGui::EndMenuBar();
    return keepGoing;
}

void Logo() {
    const ImVec2 available = ImGui::GetContentRegionAvail();
    const float w = std::min(available.x, 1900.0f);
    const float h = available.y;
    ImVec2 size;
    if (h > 0 && w / h > 7.6f) {
        size = ImVec2(static_cast<float>(static_cast<int>(h / 250.0f * 1900.0f)), h);
    } else {
        size = ImVec2(w, static_cast<float>(static_cast<int>(w / 1900.0f * 250.0f)));
    }
    ImGui::SetCursorPosX((ImGui::GetWindowWidth() - size.x) * 0.5f);
    ImGui::Image(UiState().logoTexture, size, ImVec2(0, 0), ImVec2(1, 1), ImVec4(1, 1, 1, 1), ImVec4(0, 0, 0, 0));
    ImGui::NewLine();
}

// Header down to the change-folder button; false when no game folder is set.
bool Header(bool shadersOutdated) {
    Settings& settings = Settings::Instance();
    UiStateRecord& ui = UiState();
    Logo();
    const bool haveFolder = !settings.TSPath.empty();
    if (haveFolder) {
        ImGui::TextUnformatted(T("status").c_str());
        ImGui::SameLine();
        if (!settings.ShadersInstallOK) {
            ColoredText(ImVec4(0.75f, 0, 0, 1), T("disabled"));
        } else if (shadersOutdated) {
            ColoredText(WarningColor, T("installedshadersoutofdate"));
        } else {
            ColoredText(ImVec4(0, 0.75f, 0, 1), T("enabled"));
        }
    }
    ImGui::TextUnformatted(T("tsintallpath").c_str());
    ImGui::SameLine();
    ImGui::PushStyleColor(ImGuiCol_Text, haveFolder ? ImVec4(1, 0.85f, 0.85f, 1) : kRed);
    ImGui::TextWrapped("%s", haveFolder ? WideToUtf8(settings.TSPath).c_str() : T("wrongtspath").c_str());
    ImGui::PopStyleColor();
    ImGui::NewLine();

    ImGui::PushFont(ui.FontAccent);
    const std::string change = Label("changepath", "", kIconChangeFolder);
    if (ImGui::Button(change.c_str())) {
        if (ChooseGameFolder() == FolderChoice::Rejected) ui.wrongGamePathRequested = true;
    }
    ImGui::PopFont();
    ImGui::NewLine();
    return !settings.TSPath.empty();
}

void InstallAndRestoreButtons(bool shadersOutdated) {
    UiStateRecord& ui = UiState();
    ImGui::PushFont(ui.FontAccent);
    const float half = ImGui::GetContentRegionAvail().x * 0.5f;
    ImGui::PushStyleColor(ImGuiCol_Text, shadersOutdated ? WarningColor : kWhite);
    const std::string install = Label("installbutton", "", kIconInstall);
    if (ImGui::Button(install.c_str(), ImVec2(half, 60))) ui.compileWarningRequested = true;
    ImGui::PopStyleColor();
    ImGui::SameLine();
    const std::string restore = Label("restorebutton", "", kIconRestore);
    if (ImGui::Button(restore.c_str(), ImVec2(ImGui::GetContentRegionAvail().x, 60))) RunRestoreFlow();
    ImGui::PopFont();
    ImGui::NewLine();
}

bool Tab(const std::string& label) {  // label with its "##" identity
    ImGui::PushFont(UiState().FontLarge);
    const bool open = ImGui::BeginTabItem(label.c_str(), nullptr, ImGuiTabItemFlags_NoCloseWithMiddleMouseButton);
    ImGui::PopFont();
    return open;
}

void Tabs() {
    const ImGuiTabBarFlags flags = ImGuiTabBarFlags_NoCloseWithMiddleMouseButton |
                                   ImGuiTabBarFlags_NoTabListScrollingButtons | ImGuiTabBarFlags_NoTooltip;
    if (!ImGui::BeginTabBar("tabbar", flags)) return;
    if (Tab(Label("shadersparameters"))) {
        ShaderParametersTab();
        ImGui::EndTabItem();
    }
    if (Tab(Label("presetmanager"))) {
        PresetManagerTab();
        ImGui::EndTabItem();
    }
    if (Tab(Label("launcher"))) {
        LauncherTab();
        ImGui::EndTabItem();
    }
    ImGui::EndTabBar();
}

}  // namespace

void RenderUiFrame() {
    const bool shadersOutdated = Settings::Instance().ShadersOutdated();
    UiHostBeginFrame();
    DeclarePopups();

    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_MenuBar;
    if (ImGui::Begin("Vantrel", nullptr, flags)) {
        if (!MenuBar()) {
            // Quit: closing the window is what ends the program.
            ImGui::End();
            UiHostRequestQuit();
            UiHostEndFrameAndPresent();
            return;
        }
        if (Header(shadersOutdated)) {
            InstallAndRestoreButtons(shadersOutdated);
            Tabs();
        }
    }
    ImGui::End();
    UiHostEndFrameAndPresent();
}
