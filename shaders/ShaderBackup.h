#pragma once
// Copies of the game's own shader files, taken before an install first
// replaces them, so that a restore can bring them back. One folder per game
// folder under the preference folder; a backup is never overwritten.
#include <string>
#include <vector>

// preference folder + "Backups\" + a stable hash of the game folder + "\".
std::u16string ShaderBackupFolder(const std::u16string& gamePath);

// Saves gamePath\dev\Shaders\fileName unless a backup of that name exists.
// True when a backup exists afterwards or there was no game file to save;
// false (logged) when the game file exists but could not be saved.
bool BackUpGameShader(const std::u16string& gamePath, const std::u16string& fileName);

// File names held in the game folder's backup folder. True with an empty list
// when there is no backup folder; false (logged) when it exists but cannot be read.
bool ListShaderBackups(const std::u16string& gamePath, std::vector<std::u16string>& fileNames);
