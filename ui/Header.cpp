// The header of the main window: logo, status, game folder and the buttons
// that change the folder, install and restore.
#include <algorithm>
#include <cmath>
#include <string>

#include <imgui.h>

#include "app/Text.h"
#include "game/GameFolder.h"
#include "settings/Settings.h"
#include "ui/Actions.h"
#include "ui/Panels.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

// The logo is a 1900 x 250 picture: as wide as the room allows up to its own
// width, unless the room is so flat that the height must decide; never more
// than a banner of 120 pixels (at scale 1) or a seventh of the window's
// height, so that the settings stay in view on a small screen. Centred in
// the content region, so a scroll bar does not push it aside.
void Logo() {
    const ImVec2 available = ImGui::GetContentRegionAvail();
    const float w = std::min(available.x, 1900.0f);
    const float h = available.y;
    ImVec2 size;
    if (h > 0.0f && w / h > 7.6f) {
        size = ImVec2(static_cast<float>(static_cast<int>(h / 250.0f * 1900.0f)), h);
    } else {
        size = ImVec2(w, static_cast<float>(static_cast<int>(w / 1900.0f * 250.0f)));
    }
    const float banner = std::min(Px(120), std::floor(ImGui::GetIO().DisplaySize.y / 7.0f));
    if (size.y > banner) size = ImVec2(static_cast<float>(static_cast<int>(banner / 250.0f * 1900.0f)), banner);
    ImGui::SetCursorPosX(ImGui::GetCursorPosX() + (available.x - size.x) * 0.5f);
    ImGui::Image(UiState().logoTexture, size, ImVec2(0, 0), ImVec2(1, 1), kWhite, ImVec4(0, 0, 0, 0));
    NoteItem("logo", "");
    Gap();
}

void StatusLine(bool shadersOutdated) {
    const Settings& settings = Settings::Instance();
    PlainText(T("status"));
    ImGui::SameLine();
    if (!settings.ShadersInstallOK) {
        ColoredWrappedText(kStatusDisabled, T("disabled"));
    } else if (shadersOutdated) {
        ColoredWrappedText(WarningColor, T("installedshadersoutofdate"));
    } else {
        ColoredWrappedText(kStatusEnabled, T("enabled"));
    }
}

void GameFolderLine() {
    const Settings& settings = Settings::Instance();
    PlainText(T("tsintallpath"));
    ImGui::SameLine();
    if (settings.TSPath.empty()) {
        ColoredWrappedText(kRed, T("wrongtspath"));
    } else {
        ColoredWrappedText(kGameFolderColour, WideToUtf8(settings.TSPath));
    }
    Gap();
}

void ChangeFolderButton() {
    UiStateRecord& ui = UiState();
    ImGui::PushFont(ui.FontAccent);
    if (LabelButton(Label("changepath", "", kIconChangeFolder))) {
        if (ChooseGameFolder() == FolderChoice::Rejected) ui.wrongGamePathRequested = true;
    }
    ImGui::PopFont();
    Gap();
}

}  // namespace

bool DrawHeader(bool shadersOutdated) {
    Logo();
    if (!Settings::Instance().TSPath.empty()) StatusLine(shadersOutdated);
    GameFolderLine();
    ChangeFolderButton();
    return !Settings::Instance().TSPath.empty();
}

void DrawInstallAndRestoreButtons(bool shadersOutdated) {
    UiStateRecord& ui = UiState();
    ImGui::PushFont(ui.FontAccent);
    const float half = ImGui::GetContentRegionAvail().x * 0.5f;
    ImGui::PushStyleColor(ImGuiCol_Text, shadersOutdated ? WarningColor : kWhite);
    if (LabelButton(Label("installbutton", "", kIconInstall), ImVec2(half, Px(60)))) ui.compileWarningRequested = true;
    ImGui::PopStyleColor();
    ImGui::SameLine();
    if (WideButton(Label("restorebutton", "", kIconRestore), Px(60))) {
        RunRestoreFlow();
    }
    ImGui::PopFont();
    Gap();
}
