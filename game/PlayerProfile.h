#pragma once
// Forces the game options the enhanced shaders need on in the player profile,
// through the game's serz.exe converter. The converter's exit code is not
// trusted: the profile it writes back is converted to XML once more and must
// read as a player profile holding the options handed over, or the previous
// profile is put back. Reads only the settings it is given (the game folder
// and the options), so another thread may run it on a copy.
#include <string>

struct Settings;

struct ProfilePatchOutcome {
    // The profile holds the options the shaders need (switched on now, or
    // already on); false when it could not be read or patched, and then the
    // profile is as it was.
    bool ok = false;
    // Switched on by this patch, once the profile read back with them on.
    bool forcedBloom = false;
    bool forcedTSX = false;
    std::string cause;  // why it failed, for the log and the result (UTF-8); empty when ok
};

ProfilePatchOutcome PatchPlayerProfiles(const Settings& settings);
