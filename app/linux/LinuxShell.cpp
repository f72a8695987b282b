// Shell services on Linux: posix_spawn for tools and the game (".exe" through
// a native sibling or wine), xdg-open for folders and web pages, zenity or
// kdialog for the choosers. Every child gets an argv; no shell ever sees a
// path or a title.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/CommandLine.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* const kFolderChooserTitle = "Please select the directory where TS is currently installed:";

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

std::string JoinFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
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

// A tool of the desktop (wine, xdg-open, zenity, kdialog), from PATH only.
std::string FindOnPath(const std::string& name) {
    for (const auto& folder : SearchPathFolders()) {
        std::string candidate = JoinFolder(folder, name);
        if (IsExecutableFile(candidate)) return Absolute(candidate);
    }
    return std::string();
}

// In one folder: for "x.exe" a native "x" wins over the Windows file itself.
std::string FindInFolder(const std::string& folder, const std::string& name) {
    std::string candidate = JoinFolder(folder, name);
    if (EndsWithExe(name)) {
        std::string native = candidate.substr(0, candidate.size() - 4);
        if (IsExecutableFile(native)) return native;
        return IsRegularFile(candidate) ? candidate : std::string();
    }
    return IsExecutableFile(candidate) ? candidate : std::string();
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

// Turns the Windows-style words into the argv that is executed: the program
// located and made absolute, a Windows program put behind wine.
std::optional<std::vector<std::string>> ResolveArgv(const std::vector<std::u16string>& words) {
    if (words.empty() || words[0].empty()) return std::nullopt;
    const std::u16string& name = words[0];
    std::string program;
    if (name.find_first_of(u"/\\") == std::u16string::npos) {
        program = WideToUtf8(LocateExecutable(name));
    } else {
        std::string given = Absolute(FsPath(name).string());
        if (EndsWithExe(given)) {
            std::string native = given.substr(0, given.size() - 4);
            if (IsExecutableFile(native)) {
                program = native;
            } else if (IsRegularFile(given)) {
                program = given;
            }
        } else if (IsExecutableFile(given)) {
            program = given;
        }
    }
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

// Everything posix_spawn needs, prepared before any fork so that the forked
// helper of a detached start only calls posix_spawn and _exit.
struct SpawnRequest {
    std::vector<std::string> argv;
    std::vector<char*> argvPointers;
    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};

    SpawnRequest(std::vector<std::string> words, const std::string& workingDirectory, int stdoutFd)
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
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
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

// Runs a chooser and returns its first output line; empty when it was
// cancelled (non-zero exit) or could not be started.
std::string RunChooser(std::vector<std::string> argv) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return std::string();
    pid_t pid = 0;
    bool started = false;
    {
        SpawnRequest request(std::move(argv), std::string(), fds[1]);
        started = request.Start(pid);
    }
    close(fds[1]);
    std::string output;
    if (started) {
        char buffer[4096];
        for (;;) {
            ssize_t got = read(fds[0], buffer, sizeof buffer);
            if (got > 0) {
                output.append(buffer, static_cast<size_t>(got));
            } else if (got < 0 && errno == EINTR) {
                continue;
            } else {
                break;
            }
        }
    }
    close(fds[0]);
    if (!started || WaitForExit(pid) != 0) return std::string();
    size_t end = output.find('\n');
    if (end != std::string::npos) output.erase(end);
    if (!output.empty() && output.back() == '\r') output.pop_back();
    return output;
}

enum class ChooserTool { None, Zenity, Kdialog };

ChooserTool FindChooser(std::string& tool) {
    tool = FindOnPath("zenity");
    if (!tool.empty()) return ChooserTool::Zenity;
    tool = FindOnPath("kdialog");
    if (!tool.empty()) return ChooserTool::Kdialog;
    Log(std::string("No file chooser available: install zenity or kdialog"));
    return ChooserTool::None;
}

std::string StartFolderForKdialog() {
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) : std::string(".");
}

const char* const kZenityPresetFilter = "--file-filter=MOX Preset File (*.xml) | *.xml";
const char* const kZenityAllFilter = "--file-filter=All Files (*.*) | *";
const char* const kKdialogPresetFilter = "*.xml|MOX Preset File (*.xml)\n*|All Files (*.*)";

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

// ---- game discovery sources

RegistryInstallPath QueryGameInstallPathFromRegistry() { return RegistryInstallPath(); }

std::vector<std::u16string> SteamRootFolders() {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    std::string base = WithoutTrailingSlash(home);
    return {Utf8ToWide(base + "/.steam/steam"), Utf8ToWide(base + "/.local/share/Steam")};
}

// ---- processes

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

int RunProcessAndWait(const std::u16string& program, const std::vector<std::u16string>& arguments,
                      const std::u16string& workingDirectory) {
    // The same words a Windows child would see from the same command line.
    auto argv = ResolveArgv(SplitCommandLine(BuildCommandLine(program, arguments)));
    pid_t pid = 0;
    bool started = false;
    if (argv) {
        std::string folder = workingDirectory.empty() ? std::string() : FsPath(workingDirectory).string();
        SpawnRequest request(std::move(*argv), folder, -1);
        started = request.Start(pid);
    }
    if (!started) {
        Log(std::string("Failed to create shader compiler process"));
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
        Log(std::u16string(u"Failed to launch program"));
        Log(u"Directory: " + directory);
        Log(u"Path: " + path);
    }
    return launched;
}

// ---- desktop

bool OpenFolderInShell(const std::u16string& path) {
    if (!DirectoryExists(path)) return false;
    std::string opener = FindOnPath("xdg-open");
    if (opener.empty()) {
        Log(std::string("No file manager opener available: install xdg-utils"));
        return false;
    }
    return SpawnDetached({opener, FsPath(path).string()}, std::string());
}

bool OpenWebPage(const std::string& url) {
    std::string opener = FindOnPath("xdg-open");
    if (opener.empty()) {
        Log(std::string("No web browser opener available: install xdg-utils"));
        return false;
    }
    return SpawnDetached({opener, url}, std::string());
}

// ---- choosers

std::u16string BrowseForGameFolder(const std::string& initial) {
    std::string tool;
    const ChooserTool kind = FindChooser(tool);
    const std::string start = initial.empty() ? std::string() : FsPath(Utf8ToWide(initial)).string();
    std::vector<std::string> argv{tool};
    if (kind == ChooserTool::Zenity) {
        argv.insert(argv.end(), {"--file-selection", "--directory", std::string("--title=") + kFolderChooserTitle});
        if (!start.empty()) argv.push_back("--filename=" + WithoutTrailingSlash(start) + "/");
    } else if (kind == ChooserTool::Kdialog) {
        argv.insert(argv.end(), {"--getexistingdirectory", start.empty() ? StartFolderForKdialog() : start,
                                 "--title", kFolderChooserTitle});
    } else {
        return std::u16string();
    }
    std::string chosen = RunChooser(std::move(argv));
    return chosen.empty() ? std::u16string() : Utf8ToWide(WithoutTrailingSlash(chosen));
}

std::u16string OpenPresetFileDialog(const std::u16string& title) {
    std::string tool;
    const ChooserTool kind = FindChooser(tool);
    std::vector<std::string> argv{tool};
    if (kind == ChooserTool::Zenity) {
        argv.insert(argv.end(),
                    {"--file-selection", "--title=" + WideToUtf8(title), kZenityPresetFilter, kZenityAllFilter});
    } else if (kind == ChooserTool::Kdialog) {
        argv.insert(argv.end(), {"--getopenfilename", StartFolderForKdialog(), kKdialogPresetFilter, "--title",
                                 WideToUtf8(title)});
    } else {
        return std::u16string();
    }
    std::string chosen = RunChooser(std::move(argv));
    // The Windows dialog only returns existing files.
    if (chosen.empty() || !IsRegularFile(chosen)) return std::u16string();
    return Utf8ToWide(chosen);
}

std::u16string SavePresetFileDialog(const std::u16string& title) {
    std::string tool;
    const ChooserTool kind = FindChooser(tool);
    std::vector<std::string> argv{tool};
    if (kind == ChooserTool::Zenity) {
        argv.insert(argv.end(), {"--file-selection", "--save", "--confirm-overwrite", "--title=" + WideToUtf8(title),
                                 kZenityPresetFilter, kZenityAllFilter});
    } else if (kind == ChooserTool::Kdialog) {
        argv.insert(argv.end(), {"--getsavefilename", StartFolderForKdialog(), kKdialogPresetFilter, "--title",
                                 WideToUtf8(title)});
    } else {
        return std::u16string();
    }
    std::string chosen = RunChooser(std::move(argv));
    if (chosen.empty()) return std::u16string();
    // The default extension of the Windows dialog.
    if (!fs::path(chosen).has_extension()) chosen += ".xml";
    return Utf8ToWide(chosen);
}
