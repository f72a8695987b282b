// The folder chooser and the preset file dialogs on Linux, through zenity or
// kdialog.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "app/linux/LinuxSpawn.h"

namespace fs = std::filesystem;

namespace {

const char* const kFolderChooserTitle = "Please select the directory where TS is currently installed:";

// Runs a chooser; true when it ran and said yes (exit code 0), with its
// first output line.
bool RunChooserTool(std::vector<std::string> argv, std::string& line) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
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
    if (!started || WaitForExit(pid) != 0) return false;
    size_t end = output.find('\n');
    if (end != std::string::npos) output.erase(end);
    if (!output.empty() && output.back() == '\r') output.pop_back();
    line = output;
    return true;
}

// The chooser's first output line; empty when it was cancelled (non-zero
// exit) or could not be started.
std::string RunChooser(std::vector<std::string> argv) {
    std::string line;
    return RunChooserTool(std::move(argv), line) ? line : std::string();
}

enum class ChooserTool { None, Zenity, Kdialog };

ChooserTool FindChooser(std::string& tool) {
    tool = FindOnPath("zenity");
    if (!tool.empty()) return ChooserTool::Zenity;
    tool = FindOnPath("kdialog");
    if (!tool.empty()) return ChooserTool::Kdialog;
    Log("No file chooser available: install zenity or kdialog");
    return ChooserTool::None;
}

std::string StartFolderForKdialog() {
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) : std::string(".");
}

const char* const kZenityPresetFilter = "--file-filter=MOX Preset File (*.xml) | *.xml";
const char* const kZenityAllFilter = "--file-filter=All Files (*.*) | *";
const char* const kKdialogPresetFilter = "*.xml|MOX Preset File (*.xml)\n*|All Files (*.*)";
const char* const kZenityImageFilter =
    "--file-filter=Pictures (*.png, *.jpg, *.jpeg, *.bmp) | *.png *.PNG *.jpg *.JPG *.jpeg *.JPEG *.bmp *.BMP";
const char* const kKdialogImageFilter = "*.png *.PNG *.jpg *.JPG *.jpeg *.JPEG *.bmp *.BMP|Pictures (*.png, *.jpg, *.jpeg, *.bmp)\n*|All Files (*.*)";

// An open dialog with a filter and "all files"; only an existing file is returned.
std::u16string OpenFileDialog(const std::u16string& title, const char* zenityFilter, const char* kdialogFilter) {
    std::string tool;
    const ChooserTool kind = FindChooser(tool);
    std::vector<std::string> argv{tool};
    if (kind == ChooserTool::Zenity) {
        argv.insert(argv.end(), {"--file-selection", "--title=" + WideToUtf8(title), zenityFilter, kZenityAllFilter});
    } else if (kind == ChooserTool::Kdialog) {
        argv.insert(argv.end(), {"--getopenfilename", StartFolderForKdialog(), kdialogFilter, "--title", WideToUtf8(title)});
    } else {
        return std::u16string();
    }
    std::string chosen = RunChooser(std::move(argv));
    // The Windows dialog only returns existing files.
    if (chosen.empty() || !IsRegularFile(chosen)) return std::u16string();
    return Utf8ToWide(chosen);
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// Asked when the ".xml" added after the dialog closed names an existing file:
// the dialog's own overwrite question was about the name without it.
bool ConfirmReplace(ChooserTool kind, const std::string& tool, const std::string& title, const std::string& file) {
    const std::string question =
        "A file named \"" + fs::path(file).filename().string() + "\" already exists. Do you want to replace it?";
    std::string ignored;
    if (kind == ChooserTool::Zenity) {
        return RunChooserTool({tool, "--question", "--no-markup", "--title=" + title, "--text=" + question}, ignored);
    }
    return RunChooserTool({tool, "--warningyesno", question, "--title", title}, ignored);
}

}  // namespace

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
    return OpenFileDialog(title, kZenityPresetFilter, kKdialogPresetFilter);
}

std::u16string OpenImageFileDialog(const std::u16string& title) {
    return OpenFileDialog(title, kZenityImageFilter, kKdialogImageFilter);
}

std::u16string SavePresetFileDialog(const std::u16string& title) {
    std::string tool;
    const ChooserTool kind = FindChooser(tool);
    if (kind == ChooserTool::None) return std::u16string();
    const std::string narrowTitle = WideToUtf8(title);
    std::string previous;  // the name declined last time, shown again
    for (;;) {
        std::vector<std::string> argv{tool};
        if (kind == ChooserTool::Zenity) {
            argv.insert(argv.end(), {"--file-selection", "--save", "--confirm-overwrite", "--title=" + narrowTitle,
                                     kZenityPresetFilter, kZenityAllFilter});
            if (!previous.empty()) argv.push_back("--filename=" + previous);
        } else {
            argv.insert(argv.end(), {"--getsavefilename", previous.empty() ? StartFolderForKdialog() : previous,
                                     kKdialogPresetFilter, "--title", narrowTitle});
        }
        std::string chosen = RunChooser(std::move(argv));
        if (chosen.empty()) return std::u16string();
        if (fs::path(chosen).has_extension()) return Utf8ToWide(chosen);
        // The default extension of the Windows dialog, which asks before
        // replacing a file of the final name; declining brings the dialog back.
        chosen += ".xml";
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(chosen, ec)) || ConfirmReplace(kind, tool, narrowTitle, chosen)) {
            return Utf8ToWide(chosen);
        }
        previous = chosen;
    }
}
