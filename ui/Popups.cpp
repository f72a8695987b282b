// The modal popups, declared at the top of every frame and opened only
// through the request flags of the UI state.
#include <algorithm>
#include <string>

#include <imgui.h>
#include <imgui_internal.h>

#include "app/Log.h"
#include "game/GameLauncher.h"
#include "settings/Settings.h"
#include "shaders/ShaderInstaller.h"
#include "ui/Panels.h"
#include "ui/ResultDetails.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

// Every popup fits its content each frame: one opened again with other
// content (a longer result, another language) is never cut to its old size.
const ImGuiWindowFlags kFixed = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_AlwaysAutoResize;
const ImGuiWindowFlags kAutoSize = ImGuiWindowFlags_NoMove | ImGuiWindowFlags_AlwaysAutoResize;
// Keeps the status popups from shrinking below this width.
const std::string kSeventySevenSpaces(77, ' ');

float AvailableWidth() { return ImGui::GetContentRegionAvail().x; }

void CloseButton() {
    if (WideButton(Label("close"), Px(32))) ImGui::CloseCurrentPopup();
}

void OpenIfRequested(const std::string& name, bool& requested) {
    if (!requested) return;
    ImGui::OpenPopup(name.c_str());
    requested = false;
}

void TermsNotice(const ImVec2& display) {
    TextBox("eulachild", T("dtgeula"), PopupTextWidth(), 0.4f * display.y);
    // Nothing is recorded: the notice returns whenever the settings file is missing.
    if (WideButton(Label("termsagreed"), Px(32))) ImGui::CloseCurrentPopup();
}

// As wide as a comfortable line, as high as the text up to half the window.
void ParameterHelp(const ImVec2& display) {
    TextBox("paramhelpchild", UiState().parameterHelpText, std::min(PopupTextWidth(), Px(720)), 0.5f * display.y);
    CloseButton();
}

void WrongGameFolder() {
    PopupText(T("wrongtsinstallpath"));
    ImGui::NewLine();
    CloseButton();
}

void LaunchButton(const std::string& label, GameVariant variant) {
    if (WideButton(label, Px(64))) {
        LaunchGame(variant);
        ImGui::CloseCurrentPopup();
    }
}

void InstallStatus() {
    bool installOK = false, forcedTSX = false, forcedBloom = false;
    ShaderInstaller::GetInstallResult(installOK, forcedTSX, forcedBloom);
    if (installOK) {
        PopupText(T("installsuccess"));
        if (forcedBloom || forcedTSX) {
            ImGui::NewLine();
            ColoredPopupText(kRed, T("installresult_warning"));
            if (forcedBloom) PopupText(T("installresult_forcedbloom"));
            if (forcedTSX) PopupText(T("installresult_forcedtsx"));
        }
        DrawKeptEffects();
        ImGui::NewLine();
        LaunchButton(Label("launchts32", kIconLaunch), GameVariant::Bit32);
        LaunchButton(Label("launchts64", kIconLaunch), GameVariant::Bit64);
    } else {
        PopupText(T("installfailed"));
        DrawInstallFailure();
    }
    PlainText(kSeventySevenSpaces);
    CloseButton();
}

void RestoreStatus() {
    PopupText(ShaderInstaller::RestoreSucceeded() ? T("restoresuccess") : T("restorefailed"));
    DrawRestoreCounts();
    PlainText(kSeventySevenSpaces);
    CloseButton();
}

// The install starts here on a thread of its own; its progress popup keeps
// the rest of the window from taking input until it has ended.
void CompilationConfirmation() {
    PopupText(T("shaderscompilation_warning"));
    ImGui::NewLine();
    if (LabelButton(Label("close"), ImVec2(Px(64), Px(32)))) ImGui::CloseCurrentPopup();
    ImGui::SameLine();
    if (LabelButton(Label("shaderscompilation_compilebutton"), ImVec2(AvailableWidth(), Px(32)))) {
        if (ShaderInstaller::StartInstall()) UiState().installProgressRequested = true;
        ImGui::CloseCurrentPopup();
    }
}

void PresetImported() {
    PopupText(T("presetimport_notice"));
    ImGui::NewLine();
    if (WideButton("Ok", Px(32))) ImGui::CloseCurrentPopup();
}

void PresetRefused() {
    PopupText(T("presetimport_refused"));
    PopupText(UiState().presetRefusal);
    ImGui::NewLine();
    CloseButton();
}

bool IsTopmostPopup() {
    const ImGuiContext& g = *GImGui;
    return !g.OpenPopupStack.empty() && g.OpenPopupStack.back().Window == ImGui::GetCurrentWindowRead();
}

// One popup block and its request check, in that order. Every popup sits in
// the middle of the window, at most 80 % of its width (plus room for a scroll
// bar), and Escape closes the one on top as its close button would.
template <typename Content>
void Popup(const std::string& name, ImGuiWindowFlags flags, bool& requested, Content content,
           bool escapeCloses = true) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x * 0.5f, display.y * 0.5f), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSizeConstraints(ImVec2(0, 0),
                                        ImVec2(PopupMaxWidth() + ImGui::GetStyle().ScrollbarSize, 0.9f * display.y));
    if (ImGui::BeginPopupModal(name.c_str(), nullptr, flags)) {
        content();
        if (escapeCloses && IsTopmostPopup() && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) {
            ImGui::CloseCurrentPopup();
        }
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
    Popup(T("aboutthisprogram") + "###aboutthisprogram", kFixed, ui.aboutRequested, DrawAboutContent);
    Popup("Important##importantnotice", kFixed, ui.importantNoticeRequested,
          [&] { TermsNotice(display); });
    Popup(T("parameterhelp") + "###parameterhelp", kFixed, ui.parameterHelpRequested,
          [&] { ParameterHelp(display); });
    Popup("!!!##wrongtsinstallpath", kFixed, ui.wrongGamePathRequested, WrongGameFolder);
    Popup("Shaders Installation Status##textureconversionresults", kFixed, ui.installResultsRequested, InstallStatus);
    Popup("Shaders Restoration Status##restoreresults", kFixed, ui.restoreResultsRequested, RestoreStatus);
    Popup("Shaders Compilation##shaderscompilationwarning", kAutoSize, ui.compileWarningRequested,
          CompilationConfirmation);
    Popup("Preset Imported##presetimportednotice", kAutoSize, ui.presetImportedRequested, PresetImported);
    Popup("Preset Not Imported##presetrefused", kAutoSize, ui.presetRefusedRequested, PresetRefused);
    // The install goes on whatever is pressed; the popup closes when it ends.
    Popup("Shaders Installation##installprogress", kFixed, ui.installProgressRequested, DrawInstallProgress,
          false);
}
