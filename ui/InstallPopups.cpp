// What the install shows of itself: its progress while it runs, and what
// went wrong when it failed.
#include <algorithm>
#include <string>

#include <imgui.h>

#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "shaders/ShaderInstaller.h"
#include "ui/Panels.h"
#include "ui/Widgets.h"

namespace {

// The popup shows the start of a long message; the log holds all of it.
const size_t kShownMessageLines = 20;

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

std::string JoinNames(const std::vector<std::u16string>& names) {
    std::string joined;
    for (const std::u16string& name : names) joined += (joined.empty() ? "" : ", ") + WideToUtf8(name);
    return joined;
}

}  // namespace

void DrawInstallProgress() {
    const InstallProgress progress = ShaderInstaller::GetInstallProgress();
    switch (progress.step) {
        case InstallStep::Preparing:
            PlainText(T("installprogress_preparing"));
            break;
        case InstallStep::Compiling:
            PlainText(T("installprogress_compiling"));
            PlainText(JoinNames(progress.compiling));
            break;
        case InstallStep::SkyFile:
            PlainText(T("installprogress_skyfile"));
            break;
        case InstallStep::PlayerProfile:
        case InstallStep::Finished:
            PlainText(T("installprogress_profile"));
            break;
    }
    PlainText(std::to_string(progress.done) + " / " + std::to_string(progress.total) + " " +
              T("installprogress_count"));
    // The sky file and the profile count as one step each after the effects.
    const unsigned after = progress.step >= InstallStep::PlayerProfile ? 2 : progress.step == InstallStep::SkyFile;
    const float fraction = static_cast<float>(progress.done + after) / static_cast<float>(progress.total + 2);
    ImGui::ProgressBar(std::min(fraction, 1.0f), ImVec2(ImGui::GetFontSize() * 30, 0));
    NoteItem("progress", std::to_string(progress.done) + "/" + std::to_string(progress.total));
    if (!ShaderInstaller::InstallIsRunning()) ImGui::CloseCurrentPopup();
}

void DrawInstallFailure() {
    const ShaderInstaller& result = ShaderInstaller::Instance();
    if (!result.failedEffect.empty()) PlainText(T("installfailed_effect") + " " + WideToUtf8(result.failedEffect));
    if (!result.failureMessage.empty()) {
        const ImVec2 display = ImGui::GetIO().DisplaySize;
        ImGui::BeginChild("installfailuremessage", ImVec2(0.6f * display.x, 0.2f * display.y), true,
                          ImGuiWindowFlags_HorizontalScrollbar);
        WrappedText(FirstLines(result.failureMessage, kShownMessageLines));
        ImGui::EndChild();
    }
    if (LabelButton(Label("openlogfile"), ImVec2(ImGui::GetContentRegionAvail().x, 32))) {
        OpenFileInShell(LogFilePath());
    }
}
