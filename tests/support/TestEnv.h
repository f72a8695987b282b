#pragma once
// What every test uses: the test framework and the standard library parts
// most tests need; throw-away folders, the program's paths pointed into them,
// text files and the log, and a fake game folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/Text.h"

namespace fs = std::filesystem;

// A fresh folder under the system temp folder, removed at destruction.
struct TempDir {
    fs::path path;
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
};

// A path as the program's wide text.
inline std::u16string W(const fs::path& path) { return Utf8ToWide(path.string()); }
// Path of a stand-in tool built by the test suite (tests/tools/<name>.cpp).
inline fs::path ToolPath(const std::string& name) { return fs::path(VANTREL_TOOLS_DIR) / name; }

// Points AppPaths at <root>/pref/ and <root>/program/ (both created, work
// folder too) and starts an empty log.
void UseTempAppPaths(const TempDir& root);

std::string ReadText(const fs::path& path);
void WriteText(const fs::path& path, const std::string& text);  // makes the missing folders on the way
std::vector<std::string> ReadLines(const fs::path& path);       // without their line ends (LF or CR LF)
std::vector<std::string> ReadLogLines();
bool Logged(const std::string& line);                     // the log holds this exact line
std::vector<std::string> LoggedAfter(const std::string& prefix);  // the lines that start so, without it
std::vector<std::string> FileNames(const fs::path& folder);  // sorted
bool WaitForFile(const fs::path& file);                   // up to ten seconds, for a file with some content

// A game folder with RailWorks.exe / RailWorks64.exe markers and the folders
// dev/Shaders, data/SilverLining and Content. Returns it as a TSPath.
std::u16string MakeFakeGameFolder(const fs::path& folder, bool with32 = true, bool with64 = true);
