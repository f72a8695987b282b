#pragma once
// The SilverLining override file in TSPath\data\SilverLining\, written like the
// game's shaders: through a temporary renamed over it, waiting out a file the
// game holds open, never through a link out of the game folder, and not at
// all when it already holds the text. A missing folder is not made: the
// write fails, as the game has no sky library to read it.
#include <string>

#include "shaders/StepOutcome.h"

struct Settings;

extern const char* const kSkyOverrideBaseBlock;
extern const char* const kSkyOverridePerformanceBlock;
extern const char* const kSkyOverrideEnhancementBlock;

// TSPath + "\data\SilverLining\Silverlining.override".
std::u16string SkyOverridePath(const std::u16string& gamePath);
// Install form: base block plus the blocks the two dynamic-cloud settings
// select; logs "Tweaked Silverlining file" once the file holds them.
StepOutcome WriteSkyOverride(const Settings& settings);
// Restore form: the base block alone; logs "Restored original Silverlining file".
StepOutcome WriteSkyOverrideBaseOnly(const std::u16string& gamePath);
