#pragma once
// Reads and writes of the game's dev\Shaders\ files that wait out a file the
// game or a virus scanner holds open for a moment. Writes go through a
// temporary renamed over the target, so the game never loads half a file.
#include <string>

#include "shaders/ChangeManifest.h"

bool ReadGameShader(const std::u16string& target, ShaderFileState& state);
bool WriteGameShader(const std::u16string& target, const std::string& bytes);
