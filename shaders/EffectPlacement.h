#pragma once
// Puts one compiled effect into the game's dev\Shaders\ folder: the game's
// own file is backed up before it is replaced for the first time, and the
// copy waits out a file that the game or a virus scanner holds open.
#include <string>

enum class PlacementOutcome { Installed, KeptGameFile, Failed };

struct EffectPlacement {
    PlacementOutcome outcome = PlacementOutcome::Failed;
    std::u16string message;  // a log line for KeptGameFile and Failed
};

EffectPlacement PutEffectIntoGame(const std::u16string& gamePath, const std::u16string& effectName,
                                  const std::u16string& compiledFile);
