#pragma once
// The game as Steam knows it: its application number, and whether a game
// folder is one that Steam installed.
#include <string>

inline constexpr char16_t kSteamAppId[] = u"24010";

// True when gamePath is <library>/steamapps/common/<folder> (either separator,
// trailing ones allowed) and that library holds Steam's manifest of the game,
// steamapps/appmanifest_24010.acf.
bool IsInSteamLibrary(const std::u16string& gamePath);
