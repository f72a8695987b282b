// The bar at the top of the main window, which never scrolls away: the
// shaders' status and the game folder on the left, Restore and Install on the
// right (the default action last). Without a game folder it holds only the
// folder line and the button that chooses one.
#include <algorithm>
#include <string>

#include <imgui.h>

#include "app/Text.h"
#include "game/GameFolder.h"
#include "settings/Settings.h"
#include "ui/GameFolderFacts.h"
#include "ui/Panels.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

void StatusLine(bool shadersOutdated, float wrapAt) {
    const Settings& settings = Settings::Instance();
    ImGui::AlignTextToFramePadding();
    PlainText(T("status"));
    ImGui::SameLine();
    ImGui::PushTextWrapPos(wrapAt);
    if (!settings.ShadersInstallOK) {
        ColoredText(kStatusDisabled, T("disabled"));
    } else if (shadersOutdated) {
        ColoredText(WarningColor, T("installedshadersoutofdate"));
    } else {
        ColoredText(kStatusEnabled, T("enabled"));
    }
    ImGui::PopTextWrapPos();
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A path too long for its room loses folders from its middle, so that the
// drive and the game's own folder stay: "C:\…\steamapps\common\RailWorks".
std::string ShortenedPath(const std::string& path, float room) {
    const auto fits = [&](const std::string& text) { return ImGui::CalcTextSize(text.c_str()).x <= room; };
    if (fits(path)) return path;
    size_t headEnd = 1;
    while (headEnd < path.size() && !IsSeparator(path[headEnd - 1])) ++headEnd;
    const std::string head = path.substr(0, headEnd) + "\u2026";
    std::string shown = head;
    for (size_t from = path.size(); from > headEnd;) {
        size_t start = from - 1;
        while (start > headEnd && !IsSeparator(path[start - 1])) --start;
        // The separator before the kept part stays with it.
        const std::string candidate = head + path.substr(start > headEnd ? start - 1 : start);
        if (!fits(candidate)) break;
        shown = candidate;
        from = start > headEnd ? start - 1 : headEnd;
    }
    return shown;
}

// The folder, then the button that changes it; a long path is shortened
// before the button, and shown whole in a tooltip.
void GameFolderLine(float wrapAt) {
    const Settings& settings = Settings::Instance();
    const std::string button = Label("changepath", "", kIconChangeFolder);
    const float buttonWidth = ImGui::CalcTextSize(button.c_str(), nullptr, true).x + 2 * ImGui::GetStyle().FramePadding.x;
    ImGui::AlignTextToFramePadding();
    PlainText(T("tsintallpath"));
    ImGui::SameLine();
    const float room = std::max(Px(80), wrapAt - buttonWidth - Px(10) - ImGui::GetCursorPosX());
    if (settings.TSPath.empty()) {
        ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + room);
        ColoredText(kRed, T("wrongtspath"));
        ImGui::PopTextWrapPos();
    } else {
        const std::string path = WideToUtf8(settings.TSPath);
        const std::string shown = ShortenedPath(path, room);
        ColoredText(kGameFolderColour, shown);
        if (shown != path && ImGui::IsItemHovered()) HelpTooltip(T("tsintallpath"), path);
    }
    ImGui::SameLine(0.0f, Px(10));
    const bool noFolder = settings.TSPath.empty();
    if (noFolder ? PrimaryButton(button) : LabelButton(button)) {
        if (ChooseGameFolder() == FolderChoice::Rejected) UiState().wrongGamePathRequested = true;
    }
}

float ButtonWidth(const std::string& label, ImFont* font) {
    ImGui::PushFont(font);
    const float width = ImGui::CalcTextSize(label.c_str(), nullptr, true).x + 2 * Px(16);
    ImGui::PopFont();
    return width;
}

// Install is filled with the accent while there is something to install;
// Restore is secondary, and greyed while the record says nothing is installed.
struct BarButtons {
    std::string restore = Label("restorebutton", "", kIconRestore);
    std::string install = Label("installbutton", "", kIconInstall);
    bool prominent = false;
    float restoreWidth = 0, installWidth = 0;

    explicit BarButtons(bool shadersOutdated) {
        const UiStateRecord& ui = UiState();
        prominent = shadersOutdated || !Settings::Instance().ShadersInstallOK;
        installWidth = ButtonWidth(install, prominent ? ui.FontBold : ui.FontRegular);
        restoreWidth = ButtonWidth(restore, ui.FontRegular);
    }
    float Width() const { return restoreWidth + ImGui::GetStyle().ItemSpacing.x + installWidth; }

    // Right-aligned at `right`, from the height `top`.
    void Draw(float right, float top, float height) const {
        UiStateRecord& ui = UiState();
        ImGui::SetCursorPos(ImVec2(right - Width(), top));
        const InstalledState installed = InstalledShown();
        const bool nothingToRestore = installed.recordReadable && installed.effects == 0;
        if (nothingToRestore) ImGui::BeginDisabled();
        if (LabelButton(restore, ImVec2(restoreWidth, height))) ui.restoreQuestionRequested = true;
        if (nothingToRestore) ImGui::EndDisabled();
        if (nothingToRestore && ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled)) {
            HelpTooltip(T("restorebutton"), T("restorenothing"));
        }
        ImGui::SameLine();
        const ImVec2 size(installWidth, height);
        if (prominent ? PrimaryButton(install, size) : LabelButton(install, size)) ui.compileWarningRequested = true;
        if (ImGui::IsItemHovered()) HelpTooltip(T("installbutton"), T("installhint"), "Ctrl+I");
    }
};

}  // namespace

bool DrawTopBar(bool shadersOutdated) {
    const bool haveGame = !Settings::Instance().TSPath.empty();
    const ImVec2 start = ImGui::GetCursorPos();
    const float right = start.x + ImGui::GetContentRegionAvail().x;
    const BarButtons buttons(shadersOutdated);
    // The texts wrap before the buttons.
    const float texts = haveGame ? right - buttons.Width() - Px(24) : right;
    ImGui::BeginGroup();
    if (haveGame) StatusLine(shadersOutdated, texts);
    GameFolderLine(texts);
    ImGui::EndGroup();
    const float height = ImGui::GetItemRectSize().y;
    const ImVec2 end = ImGui::GetCursorPos();
    if (haveGame) {
        const float buttonHeight = std::max(ImGui::GetFrameHeight(), std::min(height, Px(44)));
        buttons.Draw(right, start.y + std::max(0.0f, (height - buttonHeight) * 0.5f), buttonHeight);
        ImGui::SetCursorPos(end);
    }
    ImGui::Dummy(ImVec2(0.0f, ImGui::GetStyle().ItemSpacing.y));
    return haveGame;
}
