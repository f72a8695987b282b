// The modal popups, declared at the top of every frame and opened only
// through the request flags of the UI state. Each title comes from the
// catalogue; the part after "###" keeps the popup's identity whatever the
// language. Their buttons stand at the foot, on the right (DialogButtons.h).
#include <algorithm>
#include <string>

#include <imgui.h>

#include "app/AppPaths.h"
#include "app/Log.h"
#include "app/Text.h"
#include "game/GameLauncher.h"
#include "settings/Settings.h"
#include "shaders/ShaderInstaller.h"
#include "ui/DialogButtons.h"
#include "ui/Panels.h"
#include "ui/Questions.h"
#include "ui/ResultDetails.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"
#include "ui/WindowClose.h"

namespace {

// Every popup fits its content each frame: one opened again with other
// content (a longer result, another language) is never cut to its old size.
const ImGuiWindowFlags kFixed = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_AlwaysAutoResize;
// Keeps the status popups from shrinking below this width.
const std::string kSeventySevenSpaces(77, ' ');

void CloseButton() {
    if (DialogButtons({{Label("close")}}, 0, 0) != kNoButton) ImGui::CloseCurrentPopup();
}

void OpenIfRequested(const std::string& name, bool& requested) {
    if (!requested) return;
    ImGui::OpenPopup(name.c_str());
    requested = false;
}

// Agreeing is never what Escape does: the notice has no cancel key. Quitting
// is the way not to agree.
void TermsNotice(const ImVec2& display) {
    TextBox("eulachild", T("dtgeula"), PopupTextWidth(), 0.4f * display.y);
    const int pressed = DialogButtons({{Label("termsagreed")}, {Label("quit")}}, 0, kNoButton);
    if (pressed == 0) ImGui::CloseCurrentPopup();
    if (pressed == 1) CloseWindowAsked();
}

// As wide as a comfortable line, as high as the text up to half the window.
void ParameterHelp(const ImVec2& display) {
    TextBox("paramhelpchild", UiState().parameterHelpText, std::min(PopupTextWidth(), Px(720)), 0.5f * display.y);
    CloseButton();
}

void WrongGameFolder() {
    PopupText(T("wrongtsinstallpath"));
    CloseButton();
}

void LaunchButton(const std::string& label, GameVariant variant) {
    if (WideButton(label, Px(48))) {
        LaunchGame(variant);
        ImGui::CloseCurrentPopup();
    }
}

void InstallStatusPopup() {
    const InstallOutcome& result = ShaderInstaller::Instance().install;
    if (result.ok()) {
        const bool warned = result.status == InstallStatus::InstalledWithWarning;
        PopupText(T(warned ? "installwarning" : "installsuccess"));
        DrawInstallWarnings();
        if (result.forcedBloom || result.forcedTSX) {
            ImGui::NewLine();
            ColoredPopupText(kRed, T("installresult_warning"));
            if (result.forcedBloom) PopupText(T("installresult_forcedbloom"));
            if (result.forcedTSX) PopupText(T("installresult_forcedtsx"));
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
    PopupText(ShaderInstaller::Instance().restore.ok ? T("restoresuccess") : T("restorefailed"));
    DrawRestoreCounts();
    PlainText(kSeventySevenSpaces);
    CloseButton();
}

// The install starts here on a thread of its own; its progress popup keeps
// the rest of the window from taking input until it has ended.
void CompilationConfirmation() {
    PopupText(T("shaderscompilation_warning"));
    const int pressed = DialogButtons({{Label("shaderscompilation_compilebutton")}, {Label("cancel")}}, 0, 1);
    if (pressed == 0 && ShaderInstaller::StartInstall()) UiState().installProgressRequested = true;
    if (pressed != kNoButton) ImGui::CloseCurrentPopup();
}

void PresetImported() {
    PopupText(T("presetimport_notice"));
    if (DialogButtons({{Label("ok")}}, 0, 0) != kNoButton) ImGui::CloseCurrentPopup();
}

void PresetRefused() {
    PopupText(T("presetimport_refused"));
    PopupText(UiState().presetRefusal);
    CloseButton();
}

void SettingsUnreadable() {
    const std::string& keptAs = UiState().settingsKeptAs;
    PopupText(T(keptAs.empty() ? "settingsunreadable_notkept" : "settingsunreadable_notice"));
    if (!keptAs.empty()) PopupText(keptAs);
    CloseButton();
}

void GuideMissing() {
    PopupText(Filled(T("guidemissing"), {{"file", WideToUtf8(AppPaths.programFolder + u"README.txt")}}));
    CloseButton();
}

// One popup block and its request check, in that order. Every popup sits in
// the middle of the window, at most 80 % of its width (plus room for a
// scroll bar); its title is bold.
template <typename Content>
void Popup(const std::string& name, bool& requested, Content content) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x * 0.5f, display.y * 0.5f), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSizeConstraints(ImVec2(0, 0),
                                        ImVec2(PopupMaxWidth() + ImGui::GetStyle().ScrollbarSize, 0.9f * display.y));
    // The font of the title is the one current at the start of the popup;
    // fonts are pushed and popped within one window.
    ImGui::PushFont(UiState().FontBold);
    if (ImGui::BeginPopupModal(name.c_str(), nullptr, kFixed)) {
        ImGui::PushFont(UiState().FontRegular);
        content();
        ImGui::PopFont();
        ImGui::EndPopup();
    }
    ImGui::PopFont();
    OpenIfRequested(name, requested);
}

}  // namespace

void DeclarePopups() {
    UiStateRecord& ui = UiState();
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    Popup(T("aboutthisprogram") + "###aboutthisprogram", ui.aboutRequested, DrawAboutContent);
    Popup(T("termstitle") + "###importantnotice", ui.importantNoticeRequested, [&] { TermsNotice(display); });
    // The help names its parameter in the title.
    Popup(T("parameterhelp") + ": " + ui.parameterHelpName + "###parameterhelp", ui.parameterHelpRequested,
          [&] { ParameterHelp(display); });
    Popup(T("wrongfoldertitle") + "###wrongtsinstallpath", ui.wrongGamePathRequested, WrongGameFolder);
    Popup(T("installstatustitle") + "###textureconversionresults", ui.installResultsRequested, InstallStatusPopup);
    Popup(T("restorestatustitle") + "###restoreresults", ui.restoreResultsRequested, RestoreStatus);
    Popup(T("compiletitle") + "###shaderscompilationwarning", ui.compileWarningRequested, CompilationConfirmation);
    Popup(T("presetimportedtitle") + "###presetimportednotice", ui.presetImportedRequested, PresetImported);
    Popup(T("presetrefusedtitle") + "###presetrefused", ui.presetRefusedRequested, PresetRefused);
    Popup(T("restorequestion_title") + "###restorequestion", ui.restoreQuestionRequested, DrawRestoreQuestion);
    Popup(T("defaultsquestion_title") + "###defaultsquestion", ui.defaultsQuestionRequested, DrawDefaultsQuestion);
    Popup(T("closequestion_title") + "###closequestion", ui.closeQuestionRequested, DrawCloseQuestion);
    Popup(T("guidemissing_title") + "###guidemissing", ui.guideMissingRequested, GuideMissing);
    Popup(T("settingsunreadable_title") + "###settingsunreadable", ui.settingsUnreadableRequested, SettingsUnreadable);
    // The install or restore goes on whatever is pressed; the popup closes
    // when it ends. Its title names the job, its identity stays.
    const bool restoring = ShaderInstaller::RunningJob() == ShaderInstaller::Job::Restore;
    Popup(T(restoring ? "restoreprogresstitle" : "installprogresstitle") + "###installprogress",
          ui.installProgressRequested, DrawInstallProgress);
}
