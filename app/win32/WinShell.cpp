// Shell services on Windows: process creation (a tool's output captured
// through a pipe), the registry entry of the game, the file manager, the
// browser, the folder chooser and the preset file dialogs.
#include <windows.h>

#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/CommandLine.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"

namespace {

const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
std::u16string U(const wchar_t* text) { return std::u16string(reinterpret_cast<const char16_t*>(text)); }

// The shell's choosers and folder windows need COM on the calling thread;
// each call brings it up for its own duration when nobody else has.
struct ComScope {
    bool owned = false;
    ComScope() {
        const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        owned = SUCCEEDED(result);  // S_FALSE too: the count must be balanced
    }
    ~ComScope() {
        if (owned) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

bool IsFile(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool HasSeparator(const std::u16string& name) { return name.find_first_of(u"\\/:") != std::u16string::npos; }

// Reads a string value of an open key; value is the fallback unless the read
// succeeds. The text ends at the first null character or the data's end.
LSTATUS ReadRegistryString(HKEY key, const wchar_t* name, std::u16string& value, const std::u16string& fallback) {
    value = fallback;
    BYTE buffer[1024];
    DWORD size = sizeof buffer;
    const LSTATUS result = RegQueryValueExW(key, name, nullptr, nullptr, buffer, &size);
    if (result != ERROR_SUCCESS) return result;
    const auto* text = reinterpret_cast<const char16_t*>(buffer);
    size_t length = 0;
    while (length < size / sizeof(char16_t) && text[length] != u'\0') ++length;
    value.assign(text, length);
    return result;
}

const wchar_t* const kGameKey32 = L"SOFTWARE\\WOW6432Node\\railsimulator.com\\railworks";
const wchar_t* const kGameKeyNative = L"SOFTWARE\\railsimulator.com\\RailWorks";

const wchar_t* const kFolderChooserTitle = L"Please select the directory where TS is currently installed:";

int CALLBACK FolderChooserEvents(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) {
        const auto* initial = reinterpret_cast<const wchar_t*>(data);
        if (*initial) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}

const wchar_t kPresetFilter[] = L"MOX Preset File (*.xml)\0*.xml\0All Files (*.*)\0*.*\0";
const wchar_t kImageFilter[] = L"Pictures (*.png, *.jpg, *.jpeg, *.bmp)\0*.png;*.jpg;*.jpeg;*.bmp\0All Files (*.*)\0*.*\0";

// The preset and picture dialogs: one description, differing in filter,
// default extension, flags and call.
std::u16string RunFileDialog(const std::u16string& title, bool save, const wchar_t* filter, const wchar_t* extension) {
    wchar_t file[MAX_PATH] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = nullptr;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = L"";
    dialog.lpstrTitle = W(title);
    // Without a period: the dialog appends the text after one of its own.
    dialog.lpstrDefExt = extension;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    ComScope com;
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    return chosen ? U(file) : std::u16string();
}

}  // namespace

// ---- game discovery sources

RegistryInstallPath QueryGameInstallPathFromRegistry() {
    RegistryInstallPath found;
    HKEY key = nullptr;
    // The native key is only a second choice when the 32-bit view key is absent.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kGameKey32, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kGameKeyNative, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return found;
    }
    found.keyOpened = true;
    found.valueRead = ReadRegistryString(key, L"install_path", found.path, std::u16string()) == ERROR_SUCCESS;
    if (!found.valueRead) found.path.clear();
    RegCloseKey(key);
    return found;
}

// The game's folder comes from the registry on Windows.
std::vector<std::u16string> SteamRootFolders() { return {}; }

// ---- processes

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

// Handles are inherited by every child created while they are inheritable,
// so only one child at a time is created with inheritance on: a second
// tool started by another thread never holds the first one's pipe open.
std::mutex& ChildCreation() {
    static std::mutex lock;
    return lock;
}

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
        Log(std::string("Failed to create shader compiler process"));
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
        Log(std::u16string(u"Failed to launch program"));
        Log(u"Directory: " + directory);
        Log(u"Path: " + path);
    }
    return created != FALSE;
}

// ---- desktop

bool OpenFolderInShell(const std::u16string& path) {
    ComScope com;
    PIDLIST_ABSOLUTE folder = nullptr;
    if (FAILED(SHParseDisplayName(W(path), nullptr, &folder, 0, nullptr)) || !folder) return false;
    // One empty relative item: the folder itself is opened, not its parent.
    static const USHORT kEmptyItem = 0;
    PCUITEMID_CHILD empty = reinterpret_cast<PCUITEMID_CHILD>(&kEmptyItem);
    SHOpenFolderAndSelectItems(folder, 1, &empty, 0);
    ILFree(folder);
    return true;
}

bool OpenFileInShell(const std::u16string& path) {
    ComScope com;
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", W(path), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool OpenWebPage(const std::string& url) {
    const std::u16string wide = Utf8ToWide(url);
    if (wide.empty()) return false;
    ComScope com;
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", W(wide), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

// ---- choosers

std::u16string BrowseForGameFolder(const std::string& initial) {
    const std::u16string start = Utf8ToWide(initial);
    BROWSEINFOW chooser{};
    chooser.hwndOwner = nullptr;
    chooser.lpszTitle = kFolderChooserTitle;
    chooser.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    chooser.lpfn = FolderChooserEvents;
    chooser.lParam = reinterpret_cast<LPARAM>(start.c_str());

    ComScope com;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&chooser);
    if (!item) return std::u16string();
    wchar_t path[MAX_PATH] = L"";
    const BOOL converted = SHGetPathFromIDListW(item, path);
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        allocator->Free(item);
        allocator->Release();
    }
    return converted ? U(path) : std::u16string();
}

std::u16string OpenPresetFileDialog(const std::u16string& title) {
    return RunFileDialog(title, false, kPresetFilter, L"xml");
}

std::u16string SavePresetFileDialog(const std::u16string& title) {
    return RunFileDialog(title, true, kPresetFilter, L"xml");
}

std::u16string OpenImageFileDialog(const std::u16string& title) {
    return RunFileDialog(title, false, kImageFilter, L"png");
}
