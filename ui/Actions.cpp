#include "ui/Actions.h"

#include <string>

#include "app/Platform.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "shaders/ShaderInstaller.h"
#include "ui/GameFolderFacts.h"
#include "ui/PreviewPanel.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"
#include "ui/WindowClose.h"

void RunRestoreFlow() {
    if (ShaderInstaller::StartRestore()) UiState().installProgressRequested = true;
}

void CollectInstallResult() {
    const ShaderInstaller::Job job = ShaderInstaller::CollectFinishedJob();
    if (job == ShaderInstaller::Job::None) return;
    // Either job changed what the record says is installed.
    RecheckGameFolder();
    if (job == ShaderInstaller::Job::Restore) {
        UiState().restoreResultsRequested = true;
        return;
    }
    UiState().installResultsRequested = true;
    InstallBeforeCloseEnded(ShaderInstaller::Instance().install.ok());
}

void EndWorkBeforeExit() {
    ShaderInstaller::StopJobAndWait();
    ShaderInstaller::CollectFinishedJob();
    ResetPreviewPanel();
}

bool ImportPresetFromDialog() {
    const std::u16string path = OpenPresetFileDialog(Utf8ToWide(T("presetimportbrowsertitle")));
    if (path.empty()) return false;
    Settings& settings = Settings::Instance();
    const PresetProblem problem = settings.LoadPreset(path);
    if (problem != PresetProblem::None) {
        // Nothing changed: the refusal and its reason instead of "Preset imported".
        UiStateRecord& ui = UiState();
        ui.presetRefusal = problem == PresetProblem::Unreadable ? T("presetrefused_unreadable")
                           : problem == PresetProblem::NotXml   ? T("presetrefused_notxml")
                           : problem == PresetProblem::NotAPreset ? T("presetrefused_notpreset")
                                                                  : T("presetrefused_noparameters");
        ui.presetRefusedRequested = true;
        return false;
    }
    // Marked before the save, so that after a restart the status still shows
    // that the installed shaders are not those of the preset.
    settings.RequestShadersUpdate();
    settings.SaveSettingsFile();
    return true;
}

void ExportPresetFromDialog() {
    const std::u16string path = SavePresetFileDialog(Utf8ToWide(T("presetexportbrowsertitle")));
    if (!path.empty()) Settings::Instance().SavePreset(path);
}
