#pragma once
// Stand-ins for the desktop and the game's tools, run as real processes:
// the fake converter in a fake game folder, and shell scripts put first on
// PATH (a fake zenity, kdialog, wine ...).
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// Sets an environment variable for the scope and restores the old value.
struct ScopedEnv {
    std::string name;
    bool hadValue = false;
    std::string oldValue;
    ScopedEnv(std::string name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
};

// PATH = folder, then the old PATH (or only folder when keepOldPath is false).
struct ScopedPathFirst {
    ScopedEnv env;
    ScopedPathFirst(const fs::path& folder, bool keepOldPath = true);
};

// An executable "#!/bin/sh" script folder/name with the given body.
fs::path WriteScript(const fs::path& folder, const std::string& name, const std::string& body);

// A fake chooser (zenity or kdialog) in folder: records its arguments, one a
// line, in folder/<name>-args.txt, prints output and exits with exitCode.
fs::path WriteFakeChooser(const fs::path& folder, const std::string& name, const std::string& output, int exitCode);
std::vector<std::string> ReadLines(const fs::path& path);

// The stand-in converter as <game>/serz plus a <game>/serz.exe placeholder.
void InstallFakeConverter(const fs::path& gameFolder);
// Makes the installed converter exit non-zero without writing anything.
void SetFakeConverterFailing(const fs::path& gameFolder, bool failing);
// Makes only its conversion back to the profile fail: "exit", "damage" or
// "unchanged" (see tests/tools/fake_serz.cpp); an empty mode ends that.
void SetFakeConverterFailingBack(const fs::path& gameFolder, const std::string& mode);
// The arguments of every converter run so far, one entry per run.
std::vector<std::string> FakeConverterCalls(const fs::path& gameFolder);
// Content/PlayerProfiles.bin in the converter's format, from an XML text.
void WriteFakeProfile(const fs::path& gameFolder, const std::string& xml);
// The XML text of Content/PlayerProfiles.bin; false when it is not in the format.
bool ReadFakeProfile(const fs::path& gameFolder, std::string& xml);
