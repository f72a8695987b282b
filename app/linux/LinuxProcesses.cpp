// Running tools and starting the game on Linux: posix_spawn, with ".exe"
// programs behind wine.
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "app/linux/LinuxSpawn.h"

namespace {
const size_t kOutputLimit = 64 * 1024;
}  // namespace

std::u16string LocateExecutable(const std::u16string& fileName) {
    const std::string name = WideToUtf8(fileName);
    if (name.empty()) return std::u16string();
    std::vector<std::string> folders;
    if (!AppPaths.programFolder.empty()) folders.push_back(FsPath(AppPaths.programFolder).string());
    for (auto& folder : SearchPathFolders()) folders.push_back(folder);
    for (const auto& folder : folders) {
        std::string found = FindInFolder(folder, name);
        if (!found.empty()) return Utf8ToWide(Absolute(found));
    }
    return std::u16string();
}

std::u16string ProgramStartProblem(const std::u16string& program) {
    const std::string located = LocateProgram(program);
    if (located.empty() || !EndsWithExe(located) || !FindOnPath("wine").empty()) return std::u16string();
    return u"wine was not found on the search path (PATH); it is needed to run the Windows program " +
           Utf8ToWide(located);
}

int RunProcessAndWait(const std::u16string& program, const std::vector<std::u16string>& arguments,
                      const std::u16string& workingDirectory, std::string* output) {
    std::vector<std::u16string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    auto argv = ResolveArgv(words);
    // Close-on-exec, so that a tool started at the same time by another
    // thread never holds this pipe open.
    int fds[2] = {-1, -1};
    if (output && pipe2(fds, O_CLOEXEC) != 0) argv.reset();
    pid_t pid = 0;
    bool started = false;
    if (argv) {
        std::string folder = workingDirectory.empty() ? std::string() : FsPath(workingDirectory).string();
        SpawnRequest request(std::move(*argv), folder, fds[1], true);
        started = request.Start(pid);
    }
    if (fds[1] >= 0) close(fds[1]);
    if (started && output) *output = ReadUntilEnd(fds[0], kOutputLimit);
    if (fds[0] >= 0) close(fds[0]);
    if (!started) {
        const std::u16string problem = ProgramStartProblem(program);
        if (!problem.empty()) Log(problem);
        Log("Failed to create shader compiler process");
        return -1;
    }
    return WaitForExit(pid);
}

bool LaunchProgram(const std::u16string& directory, const std::u16string& path) {
    bool launched = false;
    // Longer paths do not fit the Windows launch buffer; refused the same way here.
    if (path.size() < 260) {
        auto argv = ResolveArgv({path});
        if (argv) {
            std::string folder = directory.empty() ? std::string() : FsPath(directory).string();
            launched = SpawnDetached(std::move(*argv), folder);
        }
    }
    if (!launched) {
        const std::u16string problem = ProgramStartProblem(path);
        if (!problem.empty()) Log(problem);
        Log(u"Failed to launch program");
        Log(u"Directory: " + directory);
        Log(u"Path: " + path);
    }
    return launched;
}

// A game installed for Proton runs only when Steam starts it, not under a plain wine.
bool SteamMustStartTheGame() { return true; }

bool LaunchThroughSteam(const std::vector<std::u16string>& arguments) {
    const std::string steam = FindOnPath("steam");
    if (steam.empty()) {
        Log("Steam was not found on the search path");
        return false;
    }
    std::vector<std::string> argv{steam};
    for (const auto& argument : arguments) argv.push_back(WideToUtf8(argument));
    if (SpawnDetached(std::move(argv), std::string())) return true;
    Log("Failed to start Steam: " + steam);
    return false;
}
