#pragma once
// Base style, colours and fonts applied by every UI host.
#include <string>

void ApplyBaseStyle();
// Loads the three fonts (each with the icon font merged) into UiState.
bool LoadUiFonts();
// A data file path ("Data/..."): as given when it exists in the current
// folder, else the one beside the program.
std::string DataFilePath(const char* relative);
