#include "ui/ResultDetails.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <imgui.h>

#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "shaders/ShaderInstaller.h"
#include "ui/Widgets.h"

namespace {

// The popup shows the start of a long message; the log holds all of it.
const size_t kShownMessageLines = 20;

std::string Joined(const std::vector<std::u16string>& names) {
    std::string text;
    for (const std::u16string& name : names) text += (text.empty() ? "" : ", ") + WideToUtf8(name);
    return text;
}

std::string FirstLines(const std::string& text, size_t count) {
    size_t end = 0;
    for (size_t line = 0; line < count && end < text.size(); ++line) {
        end = text.find('\n', end);
        end = end == std::string::npos ? text.size() : end + 1;
    }
    std::string shown = text.substr(0, end);
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
    return shown;
}

}  // namespace

void DrawInstallProgress() {
    const InstallProgress progress = ShaderInstaller::GetInstallProgress();
    switch (progress.step) {
        case InstallStep::Preparing:
            PopupText(T("installprogress_preparing"));
            break;
        case InstallStep::Compiling:
            PopupText(T("installprogress_compiling"));
            PopupText(Joined(progress.compiling));
            break;
        case InstallStep::SkyFile:
            PopupText(T("installprogress_skyfile"));
            break;
        case InstallStep::PlayerProfile:
        case InstallStep::Finished:
            PopupText(T("installprogress_profile"));
            break;
    }
    PopupText(std::to_string(progress.done) + " / " + std::to_string(progress.total) + " " +
              T("installprogress_count"));
    // The sky file and the profile count as one step each after the effects.
    const unsigned after = progress.step >= InstallStep::PlayerProfile ? 2 : progress.step == InstallStep::SkyFile;
    const float fraction = static_cast<float>(progress.done + after) / static_cast<float>(progress.total + 2);
    ImGui::ProgressBar(std::min(fraction, 1.0f), ImVec2(std::min(PopupTextWidth(), Px(540)), 0));
    NoteItem("progress", std::to_string(progress.done) + "/" + std::to_string(progress.total));
    if (!ShaderInstaller::InstallIsRunning()) ImGui::CloseCurrentPopup();
}

void DrawInstallFailure() {
    const ShaderInstaller& result = ShaderInstaller::Instance();
    if (!result.failedEffect.empty()) PopupText(T("installfailed_effect") + " " + WideToUtf8(result.failedEffect));
    if (!result.failureMessage.empty()) {
        TextBox("installfailuremessage", FirstLines(result.failureMessage, kShownMessageLines), PopupTextWidth(),
                0.3f * ImGui::GetIO().DisplaySize.y);
    }
    if (WideButton(Label("openlogfile"), Px(32))) OpenFileInShell(LogFilePath());
}

void DrawKeptEffects() {
    const ShaderInstaller& state = ShaderInstaller::Instance();
    if (state.keptEffects.empty()) return;
    ColoredPopupText(WarningColor,
                     Filled(T("installresult_kept"), {{"installed", std::to_string(state.effectsInstalled)},
                                                      {"total", std::to_string(state.effectsCompiled)},
                                                      {"effects", Joined(state.keptEffects)}}));
}

void DrawRestoreCounts() {
    const ShaderInstaller& state = ShaderInstaller::Instance();
    PopupText(Filled(T("restoreresult_counts"), {{"restored", std::to_string(state.filesRestored)},
                                                 {"removed", std::to_string(state.filesRemoved)},
                                                 {"leftalone", std::to_string(state.filesLeftAlone)}}));
    if (state.filesLeftAlone > 0) PopupText(T("restoreresult_leftalone"));
    if (!state.filesNotRestored.empty()) {
        ColoredPopupText(kRed, Filled(T("restorefailed_files"), {{"files", Joined(state.filesNotRestored)}}));
    }
}
