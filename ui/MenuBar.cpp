// The menu bar of the main window, and the keyboard shortcuts its items show.
#include <cstdint>

#include <imgui.h>
#include <imgui_internal.h>

#include "app/AppPaths.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "game/GameLauncher.h"
#include "settings/Settings.h"
#include "shaders/ShaderInstaller.h"
#include "ui/Actions.h"
#include "ui/GameFolderFacts.h"
#include "ui/Panels.h"
#include "ui/UiHost.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"
#include "ui/WindowClose.h"

namespace {

constexpr const char* kInstallShortcut = "Ctrl+I";
constexpr const char* kLaunchShortcut = "Ctrl+L";
constexpr const char* kGuideShortcut = "F1";

void ChooseLanguage(uint32_t language) {
    Settings& settings = Settings::Instance();
    settings.Language = language;
    settings.SaveSettingsFile();
}

bool HaveGame() { return !Settings::Instance().TSPath.empty(); }

void RequestInstall() {
    if (HaveGame() && !ShaderInstaller::JobIsRunning()) UiState().compileWarningRequested = true;
}

void LaunchTheGame() {
    if (HaveGame()) LaunchGame(GameVariant::Bit64);
}

// The user guide beside the program (README.txt, as in the zip).
void OpenUserGuide() {
    const std::u16string guide = AppPaths.programFolder + u"README.txt";
    if (OpenFileInShell(guide)) return;
    Log(u"ERROR: Can't open the user guide " + guide);
    UiState().guideMissingRequested = true;
}

void FileMenu() {
    const Settings& settings = Settings::Instance();
    if (!BeginMenuNamed(Label("file"))) return;
    if (HaveGame()) {
        if (MenuEntry(Label("installbutton"), false, !ShaderInstaller::JobIsRunning(), kInstallShortcut))
            RequestInstall();
        const InstalledState installed = InstalledShown();
        if (MenuEntry(Label("restorebutton"), false, !installed.recordReadable || installed.effects > 0))
            UiState().restoreQuestionRequested = true;
        if (MenuEntry(Label("restoresettings"), false, !(Settings::Instance().Shader == ShaderSettings())))
            UiState().defaultsQuestionRequested = true;
        ImGui::Separator();
    }
    // This import opens no notice; the preset tab's button does.
    if (MenuEntry(Label("presetimport"))) ImportPresetFromDialog();
    if (MenuEntry(Label("presetexport"))) ExportPresetFromDialog();
    ImGui::Separator();
    // Without a game folder there is nothing to open or start.
    if (MenuEntry(Label("opentsdirectory"), false, HaveGame())) OpenFolderInShell(settings.TSPath);
    if (MenuEntry(Label("launchts32"), false, HaveGame())) LaunchGame(GameVariant::Bit32);
    if (MenuEntry(Label("launchts64"), false, HaveGame(), kLaunchShortcut)) LaunchTheGame();
    ImGui::Separator();
    if (MenuEntry(Label("quit"))) CloseWindowAsked();
    ImGui::EndMenu();
}

void ViewMenu() {
    Settings& settings = Settings::Instance();
    if (!BeginMenuNamed(Label("view"))) return;
    if (MenuEntry(Label("helpicons"), settings.HelpIcons)) {
        settings.HelpIcons = !settings.HelpIcons;
        settings.SaveSettingsFile();
    }
    if (BeginMenuNamed(Label("language"))) {
        if (MenuEntry(Label("lang_english"), settings.Language == 0)) ChooseLanguage(0);
        if (MenuEntry(Label("lang_french"), settings.Language == 1)) ChooseLanguage(1);
        if (MenuEntry(Label("lang_german"), settings.Language == 2)) ChooseLanguage(2);
        ImGui::EndMenu();
    }
    ImGui::EndMenu();
}

void HelpMenu() {
    if (!BeginMenuNamed(Label("help"))) return;
    if (MenuEntry(Label("userguide"), false, true, kGuideShortcut)) OpenUserGuide();
    ImGui::Separator();
    if (MenuEntry(Label("aboutthisprogram"))) UiState().aboutRequested = true;
    ImGui::EndMenu();
}

bool Pressed(ShortcutKey key) {
    const int index = UiHostShortcutKey(key);
    return index >= 0 && ImGui::IsKeyPressed(index, false);
}

}  // namespace

void DrawMenuBar() {
    if (!ImGui::BeginMenuBar()) return;
    FileMenu();
    ViewMenu();
    HelpMenu();
    ImGui::EndMenuBar();
}

// Only where the main window takes input: not in a popup, a menu or a text field.
void HandleShortcuts() {
    const ImGuiIO& io = ImGui::GetIO();
    if (!GImGui->OpenPopupStack.empty() || io.WantTextInput || io.KeyAlt) return;
    if (io.KeyCtrl && !io.KeyShift && Pressed(ShortcutKey::I)) RequestInstall();
    if (io.KeyCtrl && !io.KeyShift && Pressed(ShortcutKey::L)) LaunchTheGame();
    if (!io.KeyCtrl && !io.KeyShift && Pressed(ShortcutKey::F1)) OpenUserGuide();
}
