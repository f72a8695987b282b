#pragma once
// Forces the game options the enhanced shaders need on in the player profile,
// through the game's serz.exe converter. Sets a flag only when it forced that
// option; never clears one.
void PatchPlayerProfiles(bool& forcedBloom, bool& forcedTSX);
