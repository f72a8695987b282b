#pragma once
// The small interface behind which each platform (Linux: SDL2, posix_spawn,
// zenity/kdialog, xdg-open, wine; Windows: Win32, shell) lives. Only
// app/linux/ and app/win32/ (and the hosts' own folders) include platform
// headers; everything above calls these functions.
#include <string>
#include <vector>

// ---- start-up paths and folders
// SDL's preference folder for "Quillstone"/"Vantrel", ending with a separator;
// empty when the platform cannot report it.
std::u16string PlatformPreferenceFolder();
// The folder holding the program, ending with a separator.
std::u16string PlatformProgramFolder();
// Gives a folder the "hidden" attribute where the platform has one.
void PlatformHideFolder(const std::u16string& folder);
// Starts the timer library; false with its error text on failure.
bool PlatformInitTimer(std::string& error);
void PlatformSleep(unsigned milliseconds);
// Tells the user of a failure that ends the program before its window is
// there to say it: standard error on Linux, a message box on Windows.
void PlatformReportFatalError(const std::string& message);

// ---- the platform's rules for names and text files
// A path in the form in which the file system compares names: letters folded
// to lower case where it ignores their case (Windows), unchanged elsewhere.
std::u16string PathCaseKey(const std::u16string& path);
// True when the file system takes both names for the same file.
bool SamePath(const std::u16string& a, const std::u16string& b);
// The running process's number.
long PlatformProcessNumber();
// The line end of text files people read (the log): CR LF on Windows, LF elsewhere.
const char* PlatformLineEnd();

// ---- game discovery sources
struct RegistryInstallPath {
    bool keyOpened = false;  // one of the two game keys could be opened
    bool valueRead = false;  // install_path was read from it
    std::u16string path;
};
// Reads install_path from the 32-bit view key, else from the native key.
RegistryInstallPath QueryGameInstallPathFromRegistry();
// Steam installation roots to search for the game (Linux: ~/.steam/steam and
// ~/.local/share/Steam); empty on Windows, where the registry is used.
std::vector<std::u16string> SteamRootFolders();

// ---- shell services
// Starts a program and forgets it; logs three lines when it cannot be started.
bool LaunchProgram(const std::u16string& directory, const std::u16string& path);
// True where a game that Steam installed runs only when Steam starts it
// (Linux: Steam runs it under Proton, a plain wine cannot); false on Windows.
bool SteamMustStartTheGame();
// Starts Steam from the search path with the arguments and forgets it; false,
// with a log line, when it cannot be started.
bool LaunchThroughSteam(const std::vector<std::u16string>& arguments);
// Runs a console tool without a window and waits for it. Each argument is
// one whole word, never split or re-read: Windows quotes it on the command
// line by the C runtime's rules, Linux hands it over in argv. Returns the
// exit code, or -1 after logging "Failed to create shader compiler process"
// (on Linux after a line naming a missing wine, when that is the cause).
// An empty workingDirectory means the program's current folder. With output
// set, what the tool writes to its standard output and error is put there
// (the first 64 KiB); otherwise both are discarded.
int RunProcessAndWait(const std::u16string& program, const std::vector<std::u16string>& arguments,
                      const std::u16string& workingDirectory = std::u16string(), std::string* output = nullptr);
// Why a program (a path or a bare name) cannot be started here, as a log line;
// empty when nothing known stands in the way. On Linux: a Windows program
// with no wine on the search path.
std::u16string ProgramStartProblem(const std::u16string& program);
// Full path of an executable found beside the program, then on the search
// path; empty when none is found. On Linux a native file of the same name
// without ".exe" is accepted too.
std::u16string LocateExecutable(const std::u16string& fileName);
bool OpenFolderInShell(const std::u16string& path);
// Opens a file with the desktop's program for it (the log in a text viewer).
bool OpenFileInShell(const std::u16string& path);
bool OpenWebPage(const std::string& url);
std::u16string BrowseForGameFolder(const std::string& initial);
std::u16string OpenPresetFileDialog(const std::u16string& title);
std::u16string SavePresetFileDialog(const std::u16string& title);
// The open dialog for pictures (PNG, JPEG, BMP); empty when cancelled.
std::u16string OpenImageFileDialog(const std::u16string& title);
