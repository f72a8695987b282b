// The preset manager and launcher tabs, and the preset and restore actions
// they share with the menu.
#include <string>

#include <imgui.h>

#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "game/GameLauncher.h"
#include "settings/Settings.h"
#include "shaders/ShaderInstaller.h"
#include "ui/Panels.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {
const char* const kPresetPage = "https://github.com/quillstone/vantrel/wiki/Presets";

bool WideButton(const std::string& label) {
    return ImGui::Button(label.c_str(), ImVec2(ImGui::GetContentRegionAvail().x, 64));
}
}  // namespace

void RunRestoreFlow() {
    if (ShaderInstaller::Restore()) {
        Settings::Instance().Save(u"");
        Log("Shaders Restoration Succeeded");
    } else {
        Log("Shaders Restoration Failed");
    }
    UiState().restoreResultsRequested = true;
}

bool ImportPresetFromDialog() {
    const std::u16string path = OpenPresetFileDialog(Utf8ToWide(T("presetimportbrowsertitle")));
    if (path.empty()) return false;
    Settings& settings = Settings::Instance();
    settings.Load(path);
    settings.Save(u"");
    settings.RequestShadersUpdate();
    return true;
}

void ExportPresetFromDialog() {
    const std::u16string path = SavePresetFileDialog(Utf8ToWide(T("presetexportbrowsertitle")));
    if (!path.empty()) Settings::Instance().Save(path);
}

void PresetManagerTab() {
    UiStateRecord& ui = UiState();
    ImGui::NewLine();
    ImGui::PushStyleColor(ImGuiCol_Text, kWhite);
    ImGui::PushFont(ui.FontRegular);
    ImGui::TextWrapped("%s", T("presetfeaturedesc").c_str());
    ImGui::PopFont();
    ImGui::PopStyleColor();
    ImGui::NewLine();

    const std::string browse = Label("presetbrowse", kIconBrowse);
    if (ImGui::Button(browse.c_str(), ImVec2(0, 50))) OpenWebPage(kPresetPage);
    ImGui::NewLine();
    const std::string import = Label("presetimport", kIconImport);
    if (ImGui::Button(import.c_str(), ImVec2(300, 50)) && ImportPresetFromDialog()) {
        ui.presetImportedRequested = true;
    }
    const std::string exportLabel = Label("presetexport", kIconExport);
    if (ImGui::Button(exportLabel.c_str(), ImVec2(300, 50))) ExportPresetFromDialog();
}

void LauncherTab() {
    UiStateRecord& ui = UiState();
    ImGui::PushStyleColor(ImGuiCol_Text, kWhite);
    ImGui::PushFont(ui.FontRegular);
    ImGui::NewLine();
    if (WideButton(Label("opentsdirectory", kIconFolder))) OpenFolderInShell(Settings::Instance().TSPath);
    if (WideButton(Label("launchts32", kIconLaunch))) LaunchGame(GameVariant::Bit32);
    if (WideButton(Label("launchts64", kIconLaunch))) LaunchGame(GameVariant::Bit64);
    ImGui::NewLine();
    ImGui::PopFont();
    ImGui::PopStyleColor();
}
