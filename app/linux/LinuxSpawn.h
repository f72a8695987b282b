#pragma once
// What the Linux shell services share: finding programs on the search path,
// turning command words into an argv (".exe" behind wine), and
// starting children with posix_spawn. Every child gets an argv; no shell ever
// sees a path or a title.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

extern char** environ;

bool EndsWithExe(const std::string& name);
bool IsRegularFile(const std::string& path);
bool IsExecutableFile(const std::string& path);
std::string Absolute(const std::string& path);
// PATH, split into folders ("" counts as ".").
std::vector<std::string> SearchPathFolders();
// A tool of the desktop (wine, xdg-open, zenity, kdialog), from PATH only.
std::string FindOnPath(const std::string& name);
// In one folder: for "x.exe" a native "x" wins over the Windows file itself.
std::string FindInFolder(const std::string& folder, const std::string& name);
// The program of a word (a bare name or a path) located and made absolute;
// empty when there is none. For "x.exe" a native "x" beside it wins.
std::string LocateProgram(const std::u16string& name);
// The program located and made absolute, a Windows program put behind wine
// with its path arguments turned into Windows paths; nullopt when the program
// (or wine for a Windows program) is not found.
std::optional<std::vector<std::string>> ResolveArgv(const std::vector<std::u16string>& words);
// Everything a child writes into fd until it closes its end, kept up to limit
// bytes (the rest is read and dropped, so the child never blocks on a full pipe).
std::string ReadUntilEnd(int fd, size_t limit);

// Everything posix_spawn needs, prepared before any fork so that the forked
// helper of a detached start only calls posix_spawn and _exit.
struct SpawnRequest {
    std::vector<std::string> argv;
    std::vector<char*> argvPointers;
    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};

    // stdoutFd < 0: standard output goes to /dev/null; stderrToo sends the
    // standard error to stdoutFd as well.
    SpawnRequest(std::vector<std::string> words, const std::string& workingDirectory, int stdoutFd,
                 bool stderrToo = false)
        : argv(std::move(words)) {
        for (auto& word : argv) argvPointers.push_back(word.data());
        argvPointers.push_back(nullptr);
        posix_spawn_file_actions_init(&actions);
        if (!workingDirectory.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (stdoutFd >= 0) {
            posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        }
        if (stdoutFd >= 0 && stderrToo) {
            posix_spawn_file_actions_adddup2(&actions, stdoutFd, 2);
        } else {
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        }
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &all);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnRequest() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnRequest(const SpawnRequest&) = delete;
    SpawnRequest& operator=(const SpawnRequest&) = delete;

    bool Start(pid_t& pid) {
        return posix_spawn(&pid, argvPointers[0], &actions, &attributes, argvPointers.data(), environ) == 0;
    }
};

// The exit code of a child; a child killed by a signal counts as 128 + signal,
// never as -1, which means "not started".
int WaitForExit(pid_t pid);
// Starts a program in a session of its own and forgets it.
bool SpawnDetached(std::vector<std::string> argv, const std::string& workingDirectory);
