#pragma once
// Helpers for the shader pipeline tests: a fake game folder as TSPath with
// the stand-in compiler beside the program, and the weather add-on's marker.
#include <string>
#include <vector>

#include "tests/support/TestEnv.h"

// Temp program paths, a fake game folder <root>/game as TSPath and the
// stand-in compiler beside the program as "fxc", where the process service
// finds it before any fxc.exe. Returns the game folder.
fs::path SetUpPipeline(const TempDir& root);

// Creates the weather add-on's marker file in the game folder.
void AddWeatherPack(const fs::path& game);

// The text with every LF as CR LF, as generated files are written.
std::string CrLf(const std::string& text);

// The argument lines the stand-in compiler recorded, one per call.
std::vector<std::string> CompilerCalls();
