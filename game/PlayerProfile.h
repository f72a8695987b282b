#pragma once
// Forces the game options the enhanced shaders need on in the player profile,
// through the game's serz.exe converter. Sets a flag only when it forced that
// option and the converter wrote the profile back; never clears one. A
// conversion back that fails leaves the profile as it was.
struct Settings;

void PatchPlayerProfiles(bool& forcedBloom, bool& forcedTSX);
// The same with the game folder and options of the given settings (a copy
// that another thread may work on).
void PatchPlayerProfiles(const Settings& settings, bool& forcedBloom, bool& forcedTSX);
