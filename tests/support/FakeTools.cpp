#include "tests/support/FakeTools.h"

#include <cstdlib>

#include "tests/support/FakeSerzFormat.h"
#include "tests/support/TestEnv.h"

namespace {
#ifdef _WIN32
void SetVariable(const std::string& name, const std::string& value) { _putenv_s(name.c_str(), value.c_str()); }
void ClearVariable(const std::string& name) { _putenv_s(name.c_str(), ""); }
const char* const kPathSeparator = ";";
#else
void SetVariable(const std::string& name, const std::string& value) { setenv(name.c_str(), value.c_str(), 1); }
void ClearVariable(const std::string& name) { unsetenv(name.c_str()); }
const char* const kPathSeparator = ":";
#endif
}  // namespace

ScopedEnv::ScopedEnv(std::string variable, const std::string& value) : name(std::move(variable)) {
    if (const char* old = std::getenv(name.c_str())) {
        hadValue = true;
        oldValue = old;
    }
    SetVariable(name, value);
}

ScopedEnv::~ScopedEnv() {
    if (hadValue) {
        SetVariable(name, oldValue);
    } else {
        ClearVariable(name);
    }
}

namespace {
std::string PathValue(const fs::path& folder, bool keepOldPath) {
    const char* old = std::getenv("PATH");
    std::string value = folder.string();
    if (keepOldPath && old && *old) {
        value += kPathSeparator;
        value.append(old);
    }
    return value;
}
}  // namespace

ScopedPathFirst::ScopedPathFirst(const fs::path& folder, bool keepOldPath)
    : env("PATH", PathValue(folder, keepOldPath)) {}

fs::path WriteScript(const fs::path& folder, const std::string& name, const std::string& body) {
    const fs::path script = folder / name;
    WriteText(script, "#!/bin/sh\n" + body);
    fs::permissions(script, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    return script;
}

fs::path WriteFakeChooser(const fs::path& folder, const std::string& name, const std::string& output, int exitCode) {
    const fs::path record = folder / (name + "-args.txt");
    std::string body = ": > '" + record.string() + "'\n";
    body += "for a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + record.string() + "'; done\n";
    if (!output.empty()) body += "printf '%s\\n' '" + output + "'\n";
    body += "exit " + std::to_string(exitCode) + "\n";
    return WriteScript(folder, name, body);
}

std::vector<std::string> ReadLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::string text = ReadText(path);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

void InstallFakeConverter(const fs::path& gameFolder) {
#ifdef _WIN32  // the converter is run by its own name there
    fs::copy_file(ToolPath("fake_serz.exe"), gameFolder / "serz.exe", fs::copy_options::overwrite_existing);
#else
    fs::copy_file(ToolPath("fake_serz"), gameFolder / "serz", fs::copy_options::overwrite_existing);
    fs::permissions(gameFolder / "serz", fs::perms::owner_all);
    WriteText(gameFolder / "serz.exe", "placeholder for the game's converter\n");
#endif
}

void SetFakeConverterFailing(const fs::path& gameFolder, bool failing) {
    std::error_code ec;
    if (failing) {
        WriteText(gameFolder / "serz-fail", "");
    } else {
        fs::remove(gameFolder / "serz-fail", ec);
    }
}

void SetFakeConverterFailingBack(const fs::path& gameFolder, const std::string& mode) {
    std::error_code ec;
    fs::remove(gameFolder / "serz-fail-back", ec);
    if (!mode.empty()) WriteText(gameFolder / "serz-fail-back", mode);
}

std::vector<std::string> FakeConverterCalls(const fs::path& gameFolder) {
    return ReadLines(gameFolder / "serz-calls.txt");
}

void WriteFakeProfile(const fs::path& gameFolder, const std::string& xml) {
    WriteText(gameFolder / "Content" / "PlayerProfiles.bin", fake_serz::Encode(xml));
}

bool ReadFakeProfile(const fs::path& gameFolder, std::string& xml) {
    return fake_serz::Decode(ReadText(gameFolder / "Content" / "PlayerProfiles.bin"), xml);
}
