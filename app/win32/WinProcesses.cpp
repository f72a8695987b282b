// Processes on Windows: a tool run to its end with its output captured
// through a pipe, and programs started and forgotten.
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/CommandLine.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/win32/WinShell.h"

bool IsFile(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool HasSeparator(const std::u16string& name) { return name.find_first_of(u"\\/:") != std::u16string::npos; }

std::mutex& ChildCreation() {
    static std::mutex lock;
    return lock;
}

std::u16string LocateExecutable(const std::u16string& fileName) {
    if (fileName.empty()) return std::u16string();
    if (HasSeparator(fileName)) return IsFile(fileName) ? fileName : std::u16string();
    if (!AppPaths.programFolder.empty()) {
        const std::u16string beside = AppPaths.programFolder + fileName;
        if (IsFile(beside)) return beside;
        if (fileName.find(u'.') == std::u16string::npos && IsFile(beside + u".exe")) return beside + u".exe";
    }
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            SearchPathW(nullptr, W(fileName), L".exe", static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) return std::u16string();
        if (length < buffer.size()) {
            const std::u16string found(reinterpret_cast<const char16_t*>(buffer.data()), length);
            return IsFile(found) ? found : std::u16string();
        }
        buffer.resize(length + 1);
    }
}

std::u16string ProgramStartProblem(const std::u16string&) { return std::u16string(); }

namespace {

const DWORD kOutputLimit = 64 * 1024;

// Reads the child's end of the pipe until every writer has closed it.
std::string ReadPipe(HANDLE pipe) {
    std::string kept;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        const DWORD room = kOutputLimit - static_cast<DWORD>(std::min<size_t>(kOutputLimit, kept.size()));
        kept.append(buffer, std::min(got, room));
    }
    return kept;
}

// Creates the child with standard output and error on a new pipe and
// standard input on NUL; the parent's read end is returned in pipe.
BOOL CreateCapturedProcess(std::vector<wchar_t>& commandLine, const wchar_t* folder, PROCESS_INFORMATION& process,
                           HANDLE& pipe) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    std::lock_guard<std::mutex> lock(ChildCreation());
    HANDLE write = nullptr;
    if (!CreatePipe(&pipe, &write, &inheritable, 0)) return FALSE;
    SetHandleInformation(pipe, HANDLE_FLAG_INHERIT, 0);
    HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                               0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = write;
    startup.hStdError = write;
    const BOOL created = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                        nullptr, folder, &startup, &process);
    // Only the child keeps the writing end, so the read ends when it exits.
    CloseHandle(write);
    if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
    if (!created) {
        CloseHandle(pipe);
        pipe = nullptr;
    }
    return created;
}

}  // namespace

int RunProcessAndWait(const std::u16string& program, const std::vector<std::u16string>& arguments,
                      const std::u16string& workingDirectory, std::string* output) {
    // A bare name is looked for beside the program first, as LocateExecutable
    // reports it, rather than beside whatever executable hosts this code.
    std::u16string executable = program;
    if (!HasSeparator(program)) {
        const std::u16string located = LocateExecutable(program);
        if (!located.empty()) executable = located;
    }
    std::u16string line = BuildCommandLine(executable, arguments);
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    const wchar_t* folder = workingDirectory.empty() ? nullptr : W(workingDirectory);

    PROCESS_INFORMATION process{};
    HANDLE pipe = nullptr;
    BOOL created = FALSE;
    if (output) {
        created = CreateCapturedProcess(buffer, folder, process, pipe);
    } else {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        created = CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, folder,
                                 &startup, &process);
    }
    if (!created) {
        Log("Failed to create shader compiler process");
        return -1;
    }
    if (pipe) {
        *output = ReadPipe(pipe);
        CloseHandle(pipe);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.hProcess, &exitCode)) exitCode = static_cast<DWORD>(-1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}

bool LaunchProgram(const std::u16string& directory, const std::u16string& path) {
    BOOL created = FALSE;
    // The command line is the path alone, unquoted, in a buffer of MAX_PATH
    // characters; a longer path is refused rather than cut.
    if (path.size() < MAX_PATH) {
        wchar_t commandLine[MAX_PATH] = L"";
        path.copy(reinterpret_cast<char16_t*>(commandLine), path.size());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        // Inherits handles: kept apart from a tool's pipe being handed over.
        std::lock_guard<std::mutex> lock(ChildCreation());
        created = CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                                 directory.empty() ? nullptr : W(directory), &startup, &process);
        if (created) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    if (!created) {
        Log(u"Failed to launch program");
        Log(u"Directory: " + directory);
        Log(u"Path: " + path);
    }
    return created != FALSE;
}

// The game starts directly on Windows, whoever installed it.
bool SteamMustStartTheGame() { return false; }

bool LaunchThroughSteam(const std::vector<std::u16string>&) {
    Log("Starting the game through Steam is not done on Windows");
    return false;
}
