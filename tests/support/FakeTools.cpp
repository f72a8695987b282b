#include "tests/support/FakeTools.h"

#include "tests/support/FakeSerzFormat.h"

namespace {
#ifdef _WIN32
const char kPathSeparator = ';';
void SetVariable(const std::string& name, const std::optional<std::string>& value) {
    _putenv_s(name.c_str(), value ? value->c_str() : "");
}
#else
const char kPathSeparator = ':';
void SetVariable(const std::string& name, const std::optional<std::string>& value) {
    if (value) setenv(name.c_str(), value->c_str(), 1);
    else unsetenv(name.c_str());
}
#endif

std::string PathValue(const fs::path& folder, bool keepOldPath) {
    const char* old = std::getenv("PATH");
    return folder.string() + (keepOldPath && old && *old ? kPathSeparator + std::string(old) : "");
}
}  // namespace

ScopedEnv::ScopedEnv(std::string variable, const std::string& value) : name(std::move(variable)) {
    if (const char* before = std::getenv(name.c_str())) old = before;
    SetVariable(name, value);
}

ScopedEnv::~ScopedEnv() { SetVariable(name, old); }

ScopedPathFirst::ScopedPathFirst(const fs::path& folder, bool keepOldPath)
    : env("PATH", PathValue(folder, keepOldPath)) {}

fs::path WriteScript(const fs::path& folder, const std::string& name, const std::string& body) {
    const fs::path script = folder / name;
    WriteText(script, "#!/bin/sh\n" + body);
    fs::permissions(script, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    return script;
}

fs::path WriteFakeChooser(const fs::path& folder, const std::string& name, const std::string& output, int exitCode) {
    std::string record = "'";  // appended, not "'" + string: mingw's GCC 12 warns falsely on that
    record += (folder / name).string();
    return WriteScript(folder, name,
                       ": > " + record + "-args.txt'\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> " + record +
                           "-args.txt'; done\npwd > " + record + "-cwd.txt'\n" +
                           (output.empty() ? "" : "printf '%s\\n' '" + output + "'\n") + "exit " +
                           std::to_string(exitCode) + "\n");
}

void InstallFakeConverter(const fs::path& gameFolder) {
#ifdef _WIN32  // the converter is run by its own name there
    fs::copy_file(ToolPath("fake_serz.exe"), gameFolder / "serz.exe", fs::copy_options::overwrite_existing);
#else
    fs::copy_file(ToolPath("fake_serz"), gameFolder / "serz", fs::copy_options::overwrite_existing);
    WriteText(gameFolder / "serz.exe", "placeholder for the game's converter\n");
#endif
}

void SetFakeConverterFailure(const fs::path& gameFolder, const std::string& mode) {
    std::error_code ec;
    fs::remove(gameFolder / "serz-fail", ec);
    fs::remove(gameFolder / "serz-wrote", ec);
    if (!mode.empty()) WriteText(gameFolder / "serz-fail", mode);
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
