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
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

// The popup shows the start of a long message; the log holds all of it.
const size_t kShownMessageLines = 20;

std::string Joined(const std::vector<std::u16string>& names) {
    std::string text;
    for (const std::u16string& name : names) text += (text.empty() ? "" : ", ") + WideToUtf8(name);
    return text;
}

// What the player can do about each cause; a link is named.
std::string CauseText(FailureCause cause, const std::u16string& path) {
    switch (cause) {
        case FailureCause::None:
            return std::string();
        case FailureCause::CompilerError:
            return T("cause_compilererror");
        case FailureCause::NoCompiler:
            return T("cause_nocompiler");
        case FailureCause::FileBusy:
            return T("cause_filebusy");
        case FailureCause::FileReadOnly:
            return T("cause_filereadonly");
        case FailureCause::DiskFull:
            return T("cause_diskfull");
        case FailureCause::LinkOutOfGame:
            return Filled(T("cause_linkoutofgame"), {{"link", WideToUtf8(path)}});
        case FailureCause::RecordUnreadable:
            return T("cause_recordunreadable");
        case FailureCause::Stopped:
            return T("cause_stopped");
        case FailureCause::Other:
            break;
    }
    return T("cause_other");
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

size_t LineCount(const std::string& text) {
    size_t lines = 0;
    for (size_t start = 0; start < text.size(); ++lines) {
        const size_t end = text.find('\n', start);
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

// The compiler's words as it wrote them: monospace, so that its columns and
// carets line up; the start of a long message with what is left out, and all
// of it for the clipboard.
void CompilerWordsBox(const std::string& message) {
    ImGui::PushFont(UiState().FontMono);
    TextBox("installfailuremessage", FirstLines(message, kShownMessageLines), PopupTextWidth(),
            0.3f * ImGui::GetIO().DisplaySize.y);
    ImGui::PopFont();
    const size_t lines = LineCount(message);
    if (lines > kShownMessageLines) {
        PopupText(Filled(T("installfailed_morelines"), {{"count", std::to_string(lines - kShownMessageLines)}}));
    }
    if (LabelButton(Label("copymessage"), ImVec2(0, Px(32)))) ImGui::SetClipboardText(message.c_str());
    ImGui::SameLine();
}

}  // namespace

void DrawInstallProgress() {
    const InstallProgress progress = ShaderInstaller::GetProgress();
    const std::string count = std::to_string(progress.done) + " / " + std::to_string(progress.total) + " ";
    // The sky file and the profile count as one step each after the effects.
    unsigned done = progress.done, total = progress.total + 2;
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
            done += 1;
            break;
        case InstallStep::PlayerProfile:
        case InstallStep::Finished:
            PopupText(T("installprogress_profile"));
            done += 2;
            break;
        case InstallStep::Restoring:
            PopupText(T("restoreprogress"));
            total = std::max(progress.total, 1u);
            break;
    }
    const bool restoring = progress.step == InstallStep::Restoring;
    PopupText(count + T(restoring ? "restoreprogress_count" : "installprogress_count"));
    const float fraction = static_cast<float>(done) / static_cast<float>(total);
    ImGui::ProgressBar(std::min(fraction, 1.0f), ImVec2(std::min(PopupTextWidth(), Px(540)), 0));
    NoteItem("progress", std::to_string(progress.done) + "/" + std::to_string(progress.total));
    if (!ShaderInstaller::JobIsRunning()) ImGui::CloseCurrentPopup();
}

void DrawInstallFailure() {
    const InstallOutcome& result = ShaderInstaller::Instance().install;
    PopupText(CauseText(result.cause, result.failedPath));
    PopupText(result.effectsWritten == 0
                  ? T("installfailed_unchanged")
                  : Filled(T("installfailed_partly"), {{"count", std::to_string(result.effectsWritten)}}));
    if (!result.failedEffect.empty()) PopupText(T("installfailed_effect") + " " + WideToUtf8(result.failedEffect));
    if (!result.advice.empty()) ColoredPopupText(WarningColor, T("installfailed_wineadvice"));
    if (!result.failureMessage.empty()) CompilerWordsBox(result.failureMessage);
    if (LabelButton(Label("openlogfile"), ImVec2(0, Px(32)))) OpenFileInShell(LogFilePath());
}

void DrawInstallWarnings() {
    for (const InstallWarning& warning : ShaderInstaller::Instance().install.warnings) {
        const bool sky = warning.step == InstallStep::SkyFile;
        ColoredPopupText(WarningColor, T(sky ? "installwarning_skyfile" : "installwarning_profile"));
        PopupText(CauseText(warning.cause, warning.path));
    }
}

void DrawKeptEffects() {
    const InstallOutcome& result = ShaderInstaller::Instance().install;
    if (result.keptEffects.empty()) return;
    ColoredPopupText(WarningColor,
                     Filled(T("installresult_kept"), {{"installed", std::to_string(result.effectsInstalled)},
                                                      {"total", std::to_string(result.effectsCompiled)},
                                                      {"effects", Joined(result.keptEffects)}}));
}

void DrawRestoreCounts() {
    const RestoreOutcome& result = ShaderInstaller::Instance().restore;
    if (result.cause != FailureCause::None) {
        PopupText(CauseText(result.cause, u""));
        if (result.filesRestored + result.filesRemoved == 0) PopupText(T("restorefailed_unchanged"));
    }
    PopupText(Filled(T("restoreresult_counts"), {{"restored", std::to_string(result.filesRestored)},
                                                 {"removed", std::to_string(result.filesRemoved)},
                                                 {"leftalone", std::to_string(result.leftAlone.size())}}));
    if (!result.leftAlone.empty()) PopupText(T("restoreresult_leftalone") + " " + Joined(result.leftAlone));
    if (result.filesNotRecorded > 0) {
        PopupText(Filled(T("restoreresult_notrecorded"), {{"count", std::to_string(result.filesNotRecorded)}}));
    }
    if (result.notRestored.empty()) return;
    std::vector<std::u16string> files;
    for (const FileNotRestored& file : result.notRestored) files.push_back(file.fileName);
    ColoredPopupText(kRed, Filled(T("restorefailed_files"), {{"files", Joined(files)}}));
    // One text per cause, however many files share it.
    std::vector<FailureCause> said;
    for (const FileNotRestored& file : result.notRestored) {
        if (std::find(said.begin(), said.end(), file.cause) != said.end()) continue;
        said.push_back(file.cause);
        PopupText(CauseText(file.cause, file.fileName));
    }
}
