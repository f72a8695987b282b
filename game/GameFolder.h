#pragma once
// Finding and checking the game's installation folder.
#include <string>
#include <vector>

struct Settings;

// A folder that exists and holds RailWorks.exe or RailWorks64.exe.
bool IsValidGamePath(const std::u16string& path);

// Start state of the settings record: TSPath from the registry (or, where
// there is none, from the Steam library folders), every other field reset.
void DiscoverGameInstallation(Settings& settings);

// The first game folder (one that passes IsValidGamePath) in the libraries
// listed by the given Steam roots (each holding steamapps/libraryfolders.vdf,
// read up to 1 MiB) or in a root itself; empty when there is none.
std::u16string FindGameInSteamLibraries(const std::vector<std::u16string>& steamRoots);

enum class FolderChoice { Cancelled, Accepted, Rejected };
// The user picks the game folder: a valid one becomes TSPath and is saved;
// Rejected means the caller shows the wrong-folder notice.
FolderChoice ChooseGameFolder();
