#pragma once
// Stand-ins run as real processes: shell scripts put first on PATH (a fake
// zenity, kdialog, wine, xdg-open ...) and the fake converter in a fake game
// folder.
#include <optional>

#include "tests/support/TestEnv.h"

// Sets an environment variable for the scope and restores the old value.
struct ScopedEnv {
    std::string name;
    std::optional<std::string> old;
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
// A stand-in tool (a file chooser, or any program the code runs): records its
// arguments, one a line, in folder/<name>-args.txt and its working folder in
// folder/<name>-cwd.txt, prints output (when not empty) and exits with exitCode.
fs::path WriteFakeChooser(const fs::path& folder, const std::string& name, const std::string& output, int exitCode);

// The stand-in converter (tests/tools/fake_serz.cpp) as <game>/serz beside a
// serz.exe placeholder (as <game>/serz.exe on Windows).
void InstallFakeConverter(const fs::path& gameFolder);
// What it fails from now on (see fake_serz.cpp); "" nothing.
void SetFakeConverterFailure(const fs::path& gameFolder, const std::string& mode);
std::vector<std::string> FakeConverterCalls(const fs::path& gameFolder);  // the argument of each run so far
// Content/PlayerProfiles.bin in the converter's format, to and from XML text;
// the reading is false when the file is not in that format.
void WriteFakeProfile(const fs::path& gameFolder, const std::string& xml);
bool ReadFakeProfile(const fs::path& gameFolder, std::string& xml);
