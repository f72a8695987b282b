#pragma once
// The SilverLining override file in TSPath\data\SilverLining\.
#include <string>

struct Settings;

extern const char* const kSkyOverrideBaseBlock;
extern const char* const kSkyOverridePerformanceBlock;
extern const char* const kSkyOverrideEnhancementBlock;

// Install form: base block plus the blocks the two dynamic-cloud settings select.
void WriteSkyOverride(const Settings& settings);
// Restore form: the base block alone.
void WriteSkyOverrideBaseOnly();
