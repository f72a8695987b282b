#pragma once
// File-system probes on the program's wide paths. Paths are built by string
// concatenation with backslashes (TSPath + "\dev\Shaders\"); FsPath is the one
// place where they become the platform's path type. Every function here
// returns true on success.
#include <filesystem>
#include <string>
#include <system_error>

// A program path as the platform's path type: on Linux backslashes become
// slashes; on Windows the text is used as it is. (Platform layer.)
std::filesystem::path FsPath(const std::u16string& path);
// A platform path (a listed name) as the program's text; empty when the name
// is not valid text. (Platform layer.)
std::u16string ProgramPath(const std::filesystem::path& path);

bool PathExists(const std::u16string& path);
bool DirectoryExists(const std::u16string& path);
// Creates the folder and every missing parent; true when the folder is there
// afterwards. The cause of a failure goes to cause when given.
bool CreateDirectories(const std::u16string& path, std::error_code* cause = nullptr);
// Deletes the file (or empty folder) when something exists at the path; true
// when nothing is there afterwards, a missing file included. The cause of a
// failure goes to cause when given.
bool RemoveFileIfExists(const std::u16string& path, std::error_code* cause = nullptr);
