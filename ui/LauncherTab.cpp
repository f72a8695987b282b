// The launcher tab: open the game folder, start the 32-bit or 64-bit game.
#include <string>

#include <imgui.h>

#include "app/Platform.h"
#include "game/GameLauncher.h"
#include "settings/Settings.h"
#include "ui/Panels.h"
#include "ui/Widgets.h"

void LauncherTab() {
    if (WideButton(Label("opentsdirectory", kIconFolder), Px(48))) OpenFolderInShell(Settings::Instance().TSPath);
    if (WideButton(Label("launchts32", kIconLaunch), Px(48))) LaunchGame(GameVariant::Bit32);
    if (WideButton(Label("launchts64", kIconLaunch), Px(48))) LaunchGame(GameVariant::Bit64);
}
