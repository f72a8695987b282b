// Program search, argv resolution and posix_spawn for the Linux shell services.
#include "app/linux/LinuxSpawn.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Platform.h"
#include "app/Text.h"

namespace fs = std::filesystem;

namespace {

std::string JoinFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// Wine reads Windows paths; an absolute Unix path ("/home/me/Train\Content\x.bin")
// becomes "Z:\home\me\Train\Content\x.bin". Switches such as "/Gec" or "/Fo" stay:
// only words whose first component exists under the root and that go on
// past it are taken for paths.
std::string WineArgument(const std::string& word) {
    if (word.size() < 2 || word[0] != '/') return word;
    size_t next = word.find_first_of("/\\", 1);
    if (next == std::string::npos || next == 1) return word;
    struct stat st {};
    if (stat(word.substr(0, next).c_str(), &st) != 0) return word;
    std::string converted = "Z:" + word;
    for (auto& c : converted) {
        if (c == '/') c = '\\';
    }
    return converted;
}

}  // namespace

bool EndsWithExe(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (auto& c : tail) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return tail == ".exe";
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsExecutableFile(const std::string& path) { return IsRegularFile(path) && access(path.c_str(), X_OK) == 0; }

std::string Absolute(const std::string& path) {
    std::error_code ec;
    fs::path absolute = fs::absolute(fs::path(path), ec);
    return ec ? path : absolute.string();
}

// PATH is read at every call so that a changed environment takes effect.
std::vector<std::string> SearchPathFolders() {
    std::vector<std::string> folders;
    const char* value = std::getenv("PATH");
    if (!value) return folders;
    std::string path = value;
    size_t start = 0;
    for (;;) {
        size_t end = path.find(':', start);
        std::string folder = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        folders.push_back(folder.empty() ? "." : folder);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return folders;
}

std::string FindOnPath(const std::string& name) {
    for (const auto& folder : SearchPathFolders()) {
        std::string candidate = JoinFolder(folder, name);
        if (IsExecutableFile(candidate)) return Absolute(candidate);
    }
    return std::string();
}

std::string FindInFolder(const std::string& folder, const std::string& name) {
    std::string candidate = JoinFolder(folder, name);
    if (EndsWithExe(name)) {
        std::string native = candidate.substr(0, candidate.size() - 4);
        if (IsExecutableFile(native)) return native;
        return IsRegularFile(candidate) ? candidate : std::string();
    }
    return IsExecutableFile(candidate) ? candidate : std::string();
}

std::string LocateProgram(const std::u16string& name) {
    if (name.empty()) return std::string();
    if (name.find_first_of(u"/\\") == std::u16string::npos) return WideToUtf8(LocateExecutable(name));
    const std::string given = Absolute(FsPath(name).string());
    if (EndsWithExe(given)) {
        const std::string native = given.substr(0, given.size() - 4);
        if (IsExecutableFile(native)) return native;
        return IsRegularFile(given) ? given : std::string();
    }
    return IsExecutableFile(given) ? given : std::string();
}

// Turns the words into the argv that is executed: the program located and
// made absolute, a Windows program put behind wine.
std::optional<std::vector<std::string>> ResolveArgv(const std::vector<std::u16string>& words) {
    if (words.empty()) return std::nullopt;
    const std::string program = LocateProgram(words[0]);
    if (program.empty()) return std::nullopt;

    std::vector<std::string> argv;
    if (EndsWithExe(program)) {
        std::string wine = FindOnPath("wine");
        if (wine.empty()) return std::nullopt;
        argv.push_back(wine);
        argv.push_back(program);
        for (size_t i = 1; i < words.size(); ++i) argv.push_back(WineArgument(WideToUtf8(words[i])));
    } else {
        argv.push_back(program);
        for (size_t i = 1; i < words.size(); ++i) argv.push_back(WideToUtf8(words[i]));
    }
    return argv;
}

std::string ReadUntilEnd(int fd, size_t limit) {
    std::string kept;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return kept;
        kept.append(buffer, std::min(static_cast<size_t>(got), limit - std::min(limit, kept.size())));
    }
}

// The exit code of a child; a child killed by a signal counts as 128 + signal,
// never as -1, which means "not started".
int WaitForExit(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

// Starts a program in a session of its own and forgets it. A short-lived
// helper does the spawn and exits at once, so the program is adopted by init
// and never stays behind as a zombie of ours.
bool SpawnDetached(std::vector<std::string> argv, const std::string& workingDirectory) {
    SpawnRequest request(std::move(argv), workingDirectory, -1);
    pid_t helper = fork();
    if (helper < 0) return false;
    if (helper == 0) {
        setsid();
        pid_t child = 0;
        _exit(request.Start(child) ? 0 : 127);
    }
    return WaitForExit(helper) == 0;
}

