#include "ui/WindowClose.h"

#include <string>
#include <vector>

#include <imgui.h>

#include "settings/SettingsTable.h"
#include "shaders/ShaderInstaller.h"
#include "ui/Actions.h"
#include "ui/DialogButtons.h"
#include "ui/UiHost.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

UiStateRecord::Closing& State() { return UiState().closing; }

void CloseNow() {
    State().decided = true;
    UiHostRequestQuit();
}

// What the settings file holds now: the edits not yet installed are the
// parameters that differ from it.
int ParametersNotInSettingsFile() {
    return ParametersDiffering(ShaderSettingsOnFile(), Settings::Instance().Shader);
}

}  // namespace

int ParametersDiffering(const ShaderSettings& a, const ShaderSettings& b) {
    int count = 0;
    for (const ParamDesc& param : ShaderParamTable()) {
        switch (param.kind) {
            case ParamKind::Bool: count += a.*param.boolField != b.*param.boolField; break;
            case ParamKind::Float: count += a.*param.floatField != b.*param.floatField; break;
            case ParamKind::Tint: count += !(a.*param.tintField == b.*param.tintField); break;
        }
    }
    return count;
}

bool WindowMayClose() {
    UiStateRecord::Closing& closing = State();
    if (closing.decided) return true;
    if (ShaderInstaller::JobIsRunning()) {
        // It ends the step it is in, so that no game file is left half
        // written; its outcome is kept as a frame would, without its popup.
        ShaderInstaller::StopJobAndWait();
        CollectInstallResult();
        UiState().installResultsRequested = UiState().restoreResultsRequested = false;
    }
    closing.installThenClose = false;
    closing.changed = ParametersNotInSettingsFile();
    if (closing.changed == 0) return true;
    closing.saveFailed = false;
    UiState().closeQuestionRequested = true;
    return false;
}

void CloseWindowAsked() {
    if (WindowMayClose()) CloseNow();
}

void InstallBeforeCloseEnded(bool succeeded) {
    UiStateRecord::Closing& closing = State();
    if (!closing.installThenClose) return;
    closing.installThenClose = false;
    if (succeeded) CloseNow();
}

void DrawCloseQuestion() {
    UiStateRecord::Closing& closing = State();
    Settings& settings = Settings::Instance();
    const bool canInstall = !settings.TSPath.empty();
    PopupText(closing.changed == 1 ? T("closequestion_one")
                                   : Filled(T("closequestion_many"), {{"count", std::to_string(closing.changed)}}));
    PopupText(canInstall ? T("closequestion_choices") : T("closequestion_choices_nogame"));
    if (closing.saveFailed) ColoredPopupText(kRed, T("closequestion_savefailed"));
    enum Choice { Install, Keep, Discard, Cancel };
    std::vector<Choice> choices = {Keep, Discard, Cancel};
    if (canInstall) choices.insert(choices.begin(), Install);
    std::vector<DialogButton> buttons;
    for (Choice choice : choices) {
        switch (choice) {
            case Install: buttons.push_back({Label("closequestion_install")}); break;
            case Keep: buttons.push_back({Label("closequestion_keep")}); break;
            case Discard: buttons.push_back({Label("closequestion_discard")}); break;
            case Cancel: buttons.push_back({Label("cancel")}); break;
        }
    }
    const int pressed = DialogButtons(buttons, 0, static_cast<int>(buttons.size()) - 1);
    if (pressed == kNoButton) return;
    switch (choices[static_cast<size_t>(pressed)]) {
        case Install:
            if (ShaderInstaller::StartInstall()) {
                closing.installThenClose = true;
                UiState().installProgressRequested = true;
            }
            break;
        case Keep:
            // Marked, so that the next start says the installed shaders are out of date.
            settings.RequestShadersUpdate();
            if (!settings.SaveSettingsFile()) {
                closing.saveFailed = true;
                return;
            }
            CloseNow();
            break;
        case Discard:
            CloseNow();
            break;
        case Cancel:
            break;
    }
    ImGui::CloseCurrentPopup();
}
