// The menu bar of the main window.
#include <cstdint>

#include <imgui.h>

#include "app/Platform.h"
#include "game/GameLauncher.h"
#include "settings/Settings.h"
#include "ui/Actions.h"
#include "ui/Panels.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

void MenuGap() {
    for (int i = 0; i < 4; ++i) ImGui::Spacing();
}

void ChooseLanguage(uint32_t language) {
    Settings& settings = Settings::Instance();
    settings.Language = language;
    settings.SaveSettingsFile();
}

// False when "quit" was chosen.
bool FileMenu() {
    Settings& settings = Settings::Instance();
    if (!BeginMenuNamed(Label("file"))) return true;
    bool keepGoing = true;
    if (!settings.TSPath.empty()) {
        if (MenuEntry(Label("installbutton"))) UiState().compileWarningRequested = true;
        if (MenuEntry(Label("restorebutton"))) RunRestoreFlow();
        ImGui::Separator();
    }
    // This import opens no notice; the preset tab's button does.
    if (MenuEntry(Label("presetimport"))) ImportPresetFromDialog();
    if (MenuEntry(Label("presetexport"))) ExportPresetFromDialog();
    ImGui::Separator();
    // Without a game folder there is nothing to open or start.
    const bool haveGame = !settings.TSPath.empty();
    if (MenuEntry(Label("opentsdirectory"), false, haveGame)) OpenFolderInShell(settings.TSPath);
    if (MenuEntry(Label("launchts32"), false, haveGame)) LaunchGame(GameVariant::Bit32);
    if (MenuEntry(Label("launchts64"), false, haveGame)) LaunchGame(GameVariant::Bit64);
    ImGui::Separator();
    if (MenuEntry(Label("quit"))) keepGoing = false;
    ImGui::EndMenu();
    return keepGoing;
}

void ViewMenu() {
    Settings& settings = Settings::Instance();
    if (!BeginMenuNamed(Label("view"))) return;
    if (MenuEntry(Label("helpicons"), settings.HelpIcons)) {
        settings.HelpIcons = !settings.HelpIcons;
        settings.SaveSettingsFile();
    }
    ImGui::EndMenu();
}

void SettingsMenu() {
    const Settings& settings = Settings::Instance();
    if (!BeginMenuNamed(Label("settings"))) return;
    if (BeginMenuNamed(Label("language"))) {
        if (MenuEntry(Label("lang_english"), settings.Language == 0)) ChooseLanguage(0);
        if (MenuEntry(Label("lang_french"), settings.Language == 1)) ChooseLanguage(1);
        if (MenuEntry(Label("lang_german"), settings.Language == 2)) ChooseLanguage(2);
        ImGui::EndMenu();
    }
    ImGui::EndMenu();
}

}  // namespace

bool DrawMenuBar() {
    if (!ImGui::BeginMenuBar()) return true;
    const bool keepGoing = FileMenu();
    if (keepGoing) {
        MenuGap();
        ViewMenu();
        MenuGap();
        SettingsMenu();
        MenuGap();
        if (MenuEntry(Label("about"))) UiState().aboutRequested = true;
    }
    ImGui::EndMenuBar();
    return keepGoing;
}
