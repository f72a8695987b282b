#include "game/GameLauncher.h"

#include "app/Platform.h"
#include "settings/Settings.h"

// Nothing is tested first: a missing folder or executable is logged by the launch.
void LaunchGame(GameVariant variant) {
    const std::u16string& folder = Settings::Instance().TSPath;
    const std::u16string executable = folder + (variant == GameVariant::Bit64 ? u"\\RailWorks64.exe" : u"\\RailWorks.exe");
    LaunchProgram(folder, executable);
}
