#include "game/GameLauncher.h"

#include "app/Log.h"
#include "app/Platform.h"
#include "game/SteamGame.h"
#include "settings/Settings.h"

// Nothing is tested first: a missing folder or executable is logged by the launch.
void LaunchGame(GameVariant variant) {
    const std::u16string& folder = Settings::Instance().TSPath;
    if (SteamMustStartTheGame() && IsInSteamLibrary(folder)) {
        Log(u"Starting the game through Steam (steam -applaunch " + std::u16string(kSteamAppId) +
            u"); Steam chooses the 32-bit or 64-bit build");
        if (LaunchThroughSteam({u"-applaunch", kSteamAppId})) return;
        Log("Steam could not be started; starting the game directly");
    }
    const std::u16string executable =
        folder + (variant == GameVariant::Bit64 ? u"\\RailWorks64.exe" : u"\\RailWorks.exe");
    LaunchProgram(folder, executable);
}
