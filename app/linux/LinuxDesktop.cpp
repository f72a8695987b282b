// The file manager, the web browser and the log viewer on Linux, through xdg-open.
#include <string>

#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/linux/LinuxSpawn.h"

namespace {
// what names the kind of opener in the log line when xdg-open is missing.
bool OpenWithDesktop(const std::string& target, const char* what) {
    std::string opener = FindOnPath("xdg-open");
    if (opener.empty()) {
        Log("No " + std::string(what) + " opener available: install xdg-utils");
        return false;
    }
    return SpawnDetached({opener, target}, std::string());
}
}  // namespace

bool OpenFolderInShell(const std::u16string& path) {
    return DirectoryExists(path) && OpenWithDesktop(FsPath(path).string(), "file manager");
}

bool OpenWebPage(const std::string& url) { return OpenWithDesktop(url, "web browser"); }

bool OpenFileInShell(const std::u16string& path) {
    return PathExists(path) && OpenWithDesktop(FsPath(path).string(), "file");
}
