// The eight modal popups, declared at the top of every frame and opened only
// through the request flags of the UI state.
#include <string>

#include <imgui.h>

#include "app/Log.h"
#include "game/GameLauncher.h"
#include "settings/Settings.h"
#include "shaders/ShaderInstaller.h"
#include "ui/Panels.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

void DrawAboutContent();  // AboutPopup.cpp

namespace {

const ImGuiWindowFlags kFixed = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove;
const ImGuiWindowFlags kFixedAutoSize = kFixed | ImGuiWindowFlags_AlwaysAutoResize;
const ImGuiWindowFlags kAutoSize = ImGuiWindowFlags_NoMove | ImGuiWindowFlags_AlwaysAutoResize;
// Keeps the status popups from shrinking below this width.
const char* const kSeventySevenSpaces =
    "                                                                             ";

void CloseButton() {
    if (ImGui::Button(Label("close").c_str(), ImVec2(ImGui::GetContentRegionAvail().x, 32))) ImGui::CloseCurrentPopup();
}

void OpenIfRequested(const char* name, bool& requested) {
    if (!requested) return;
    ImGui::OpenPopup(name);
    requested = false;
}

void WrappedChild(const char* id, const ImVec2& size, const std::string& text) {
    ImGui::BeginChild(id, size, true);
    ImGui::TextWrapped("%s", text.c_str());
    ImGui::EndChild();
}

void TermsNotice(const ImVec2& display) {
    WrappedChild("eulachild", ImVec2(0.8f * display.x, 0.25f * display.y), T("dtgeula"));
    // Nothing is recorded: the notice returns whenever the settings file is missing.
    if (ImGui::Button(Label("termsagreed").c_str(), ImVec2(ImGui::GetContentRegionAvail().x, 32))) {
        ImGui::CloseCurrentPopup();
    }
}

void ParameterHelp(const ImVec2& display) {
    WrappedChild("paramhelpchild", ImVec2(0.8f * display.x, 0.075f * display.y), UiState().parameterHelpText);
    CloseButton();
}

void LaunchButton(const char* key, GameVariant variant) {
    const std::string label = Label(key, kIconLaunch);
    if (ImGui::Button(label.c_str(), ImVec2(ImGui::GetContentRegionAvail().x, 64))) {
        LaunchGame(variant);
        ImGui::CloseCurrentPopup();
    }
}

void InstallStatus() {
    bool installOK = false, forcedTSX = false, forcedBloom = false;
    ShaderInstaller::GetInstallResult(installOK, forcedTSX, forcedBloom);
    if (installOK) {
        ImGui::TextUnformatted(T("installsuccess").c_str());
        if (forcedBloom || forcedTSX) {
            ImGui::NewLine();
            ColoredText(kRed, T("installresult_warning"));
            if (forcedBloom) ImGui::TextUnformatted(T("installresult_forcedbloom").c_str());
            if (forcedTSX) ImGui::TextUnformatted(T("installresult_forcedtsx").c_str());
        }
        ImGui::NewLine();
        LaunchButton("launchts32", GameVariant::Bit32);
        LaunchButton("launchts64", GameVariant::Bit64);
    } else {
        ImGui::TextUnformatted(T("installfailed").c_str());
    }
    ImGui::TextUnformatted(kSeventySevenSpaces);
    CloseButton();
}

void RestoreStatus() {
    ImGui::TextUnformatted(ShaderInstaller::RestoreSucceeded() ? T("restoresuccess").c_str()
                                                               : T("restorefailed").c_str());
    ImGui::TextUnformatted(kSeventySevenSpaces);
    CloseButton();
}

void CompilationConfirmation() {
    ImGui::TextUnformatted(T("shaderscompilation_warning").c_str());
    ImGui::NewLine();
    if (ImGui::Button(Label("close").c_str(), ImVec2(64, 32))) ImGui::CloseCurrentPopup();
    ImGui::SameLine();
    if (ImGui::Button(Label("shaderscompilation_compilebutton").c_str(),
                      ImVec2(ImGui::GetContentRegionAvail().x, 32))) {
        if (ShaderInstaller::Install()) {
            Settings::Instance().Save(u"");
        } else {
            Log("Shaders Installation Failed");
        }
        UiState().installResultsRequested = true;
        ImGui::CloseCurrentPopup();
    }
}

void PresetImported() {
    ImGui::TextUnformatted(T("presetimport_notice").c_str());
    ImGui::NewLine();
    if (ImGui::Button("Ok", ImVec2(ImGui::GetContentRegionAvail().x, 32))) ImGui::CloseCurrentPopup();
}

}  // namespace

void DeclarePopups() {
    UiStateRecord& ui = UiState();
    const ImVec2 display = ImGui::GetIO().DisplaySize;

    // Two popups are named by a localized text, looked up once per frame
    // (with the key behind "##", so that an empty text still names them).
    const std::string about = Label("aboutthisprogram");
    if (ImGui::BeginPopupModal(about.c_str(), nullptr, kFixedAutoSize)) {
        DrawAboutContent();
        ImGui::EndPopup();
    }
    OpenIfRequested(about.c_str(), ui.aboutRequested);

    if (ImGui::BeginPopupModal("Important##importantnotice", nullptr, kFixedAutoSize)) {
        TermsNotice(display);
        ImGui::EndPopup();
    }
    OpenIfRequested("Important##importantnotice", ui.importantNoticeRequested);

    const std::string help = Label("parameterhelp");
    if (ImGui::BeginPopupModal(help.c_str(), nullptr, kFixedAutoSize)) {
        ParameterHelp(display);
        ImGui::EndPopup();
    }
    OpenIfRequested(help.c_str(), ui.parameterHelpRequested);

    if (ImGui::BeginPopupModal("!!!##wrongtsinstallpath", nullptr, kFixedAutoSize)) {
        ImGui::TextUnformatted(T("wrongtsinstallpath").c_str());
        ImGui::NewLine();
        CloseButton();
        ImGui::EndPopup();
    }
    OpenIfRequested("!!!##wrongtsinstallpath", ui.wrongGamePathRequested);

    if (ImGui::BeginPopupModal("Shaders Installation Status##textureconversionresults", nullptr, kFixed)) {
        InstallStatus();
        ImGui::EndPopup();
    }
    OpenIfRequested("Shaders Installation Status##textureconversionresults", ui.installResultsRequested);

    if (ImGui::BeginPopupModal("Shaders Restoration Status##restoreresults", nullptr, kFixed)) {
        RestoreStatus();
        ImGui::EndPopup();
    }
    OpenIfRequested("Shaders Restoration Status##restoreresults", ui.restoreResultsRequested);

    if (ImGui::BeginPopupModal("Shaders Compilation##shaderscompilationwarning", nullptr, kAutoSize)) {
        CompilationConfirmation();
        ImGui::EndPopup();
    }
    OpenIfRequested("Shaders Compilation##shaderscompilationwarning", ui.compileWarningRequested);

    if (ImGui::BeginPopupModal("Preset Imported##presetimportednotice", nullptr, kAutoSize)) {
        PresetImported();
        ImGui::EndPopup();
    }
    OpenIfRequested("Preset Imported##presetimportednotice", ui.presetImportedRequested);
}
