// The launcher tab: open the game folder, start the 32-bit or 64-bit game.
#include <string>

#include <imgui.h>

#include "app/Platform.h"
#include "game/GameLauncher.h"
#include "settings/Settings.h"
#include "ui/Panels.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {
bool WideButton(const std::string& label) {
    return LabelButton(label, ImVec2(ImGui::GetContentRegionAvail().x, 64));
}
}  // namespace

void LauncherTab() {
    ImGui::PushStyleColor(ImGuiCol_Text, kWhite);
    ImGui::PushFont(UiState().FontRegular);
    ImGui::NewLine();
    if (WideButton(Label("opentsdirectory", kIconFolder))) OpenFolderInShell(Settings::Instance().TSPath);
    if (WideButton(Label("launchts32", kIconLaunch))) LaunchGame(GameVariant::Bit32);
    if (WideButton(Label("launchts64", kIconLaunch))) LaunchGame(GameVariant::Bit64);
    ImGui::NewLine();
    ImGui::PopFont();
    ImGui::PopStyleColor();
}
