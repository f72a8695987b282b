// The modal popups, declared at the top of every frame and opened only
// through the request flags of the UI state.
#include <string>

#include <imgui.h>

#include "app/Log.h"
#include "game/GameLauncher.h"
#include "settings/Settings.h"
#include "shaders/ShaderInstaller.h"
#include "ui/Panels.h"
#include "ui/ResultDetails.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

const ImGuiWindowFlags kFixed = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove;
const ImGuiWindowFlags kFixedAutoSize = kFixed | ImGuiWindowFlags_AlwaysAutoResize;
const ImGuiWindowFlags kAutoSize = ImGuiWindowFlags_NoMove | ImGuiWindowFlags_AlwaysAutoResize;
// Keeps the status popups from shrinking below this width.
const std::string kSeventySevenSpaces(77, ' ');

float AvailableWidth() { return ImGui::GetContentRegionAvail().x; }

void CloseButton() {
    if (LabelButton(Label("close"), ImVec2(AvailableWidth(), 32))) ImGui::CloseCurrentPopup();
}

void OpenIfRequested(const std::string& name, bool& requested) {
    if (!requested) return;
    ImGui::OpenPopup(name.c_str());
    requested = false;
}

void WrappedChild(const char* id, const ImVec2& size, const std::string& text) {
    ImGui::BeginChild(id, size, true);
    WrappedText(text);
    ImGui::EndChild();
}

void TermsNotice(const ImVec2& display) {
    WrappedChild("eulachild", ImVec2(0.8f * display.x, 0.25f * display.y), T("dtgeula"));
    // Nothing is recorded: the notice returns whenever the settings file is missing.
    if (LabelButton(Label("termsagreed"), ImVec2(AvailableWidth(), 32))) ImGui::CloseCurrentPopup();
}

void ParameterHelp(const ImVec2& display) {
    WrappedChild("paramhelpchild", ImVec2(0.8f * display.x, 0.075f * display.y), UiState().parameterHelpText);
    CloseButton();
}

void WrongGameFolder() {
    PlainText(T("wrongtsinstallpath"));
    ImGui::NewLine();
    CloseButton();
}

void LaunchButton(const std::string& label, GameVariant variant) {
    if (LabelButton(label, ImVec2(AvailableWidth(), 64))) {
        LaunchGame(variant);
        ImGui::CloseCurrentPopup();
    }
}

void InstallStatus() {
    bool installOK = false, forcedTSX = false, forcedBloom = false;
    ShaderInstaller::GetInstallResult(installOK, forcedTSX, forcedBloom);
    if (installOK) {
        PlainText(T("installsuccess"));
        if (forcedBloom || forcedTSX) {
            ImGui::NewLine();
            ColoredText(kRed, T("installresult_warning"));
            if (forcedBloom) PlainText(T("installresult_forcedbloom"));
            if (forcedTSX) PlainText(T("installresult_forcedtsx"));
        }
        DrawKeptEffects();
        ImGui::NewLine();
        LaunchButton(Label("launchts32", kIconLaunch), GameVariant::Bit32);
        LaunchButton(Label("launchts64", kIconLaunch), GameVariant::Bit64);
    } else {
        PlainText(T("installfailed"));
        DrawInstallFailure();
    }
    PlainText(kSeventySevenSpaces);
    CloseButton();
}

void RestoreStatus() {
    PlainText(ShaderInstaller::RestoreSucceeded() ? T("restoresuccess") : T("restorefailed"));
    DrawRestoreCounts();
    PlainText(kSeventySevenSpaces);
    CloseButton();
}

// The install starts here on a thread of its own; its progress popup keeps
// the rest of the window from taking input until it has ended.
void CompilationConfirmation() {
    PlainText(T("shaderscompilation_warning"));
    ImGui::NewLine();
    if (LabelButton(Label("close"), ImVec2(64, 32))) ImGui::CloseCurrentPopup();
    ImGui::SameLine();
    if (LabelButton(Label("shaderscompilation_compilebutton"), ImVec2(AvailableWidth(), 32))) {
        if (ShaderInstaller::StartInstall()) UiState().installProgressRequested = true;
        ImGui::CloseCurrentPopup();
    }
}

void PresetImported() {
    PlainText(T("presetimport_notice"));
    ImGui::NewLine();
    if (LabelButton("Ok", ImVec2(AvailableWidth(), 32))) ImGui::CloseCurrentPopup();
}

// One popup block and its request check, in that order.
template <typename Content>
void Popup(const std::string& name, ImGuiWindowFlags flags, bool& requested, Content content) {
    if (ImGui::BeginPopupModal(name.c_str(), nullptr, flags)) {
        content();
        ImGui::EndPopup();
    }
    OpenIfRequested(name, requested);
}

}  // namespace

void DeclarePopups() {
    UiStateRecord& ui = UiState();
    const ImVec2 display = ImGui::GetIO().DisplaySize;

    // The two popups titled by a catalogue text keep a fixed identity after
    // "###": an empty or shared title would otherwise be no valid or no
    // unique popup name.
    Popup(T("aboutthisprogram") + "###aboutthisprogram", kFixedAutoSize, ui.aboutRequested, DrawAboutContent);
    Popup("Important##importantnotice", kFixedAutoSize, ui.importantNoticeRequested,
          [&] { TermsNotice(display); });
    Popup(T("parameterhelp") + "###parameterhelp", kFixedAutoSize, ui.parameterHelpRequested,
          [&] { ParameterHelp(display); });
    Popup("!!!##wrongtsinstallpath", kFixedAutoSize, ui.wrongGamePathRequested, WrongGameFolder);
    Popup("Shaders Installation Status##textureconversionresults", kFixed, ui.installResultsRequested, InstallStatus);
    Popup("Shaders Restoration Status##restoreresults", kFixed, ui.restoreResultsRequested, RestoreStatus);
    Popup("Shaders Compilation##shaderscompilationwarning", kAutoSize, ui.compileWarningRequested,
          CompilationConfirmation);
    Popup("Preset Imported##presetimportednotice", kAutoSize, ui.presetImportedRequested, PresetImported);
    Popup("Shaders Installation##installprogress", kFixedAutoSize, ui.installProgressRequested, DrawInstallProgress);
}
