// The file manager, the web browser and the log viewer on Linux, through xdg-open.
#include <string>

#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/linux/LinuxSpawn.h"

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

bool OpenFileInShell(const std::u16string& path) {
    if (!PathExists(path)) return false;
    std::string opener = FindOnPath("xdg-open");
    if (opener.empty()) {
        Log(std::string("No file opener available: install xdg-utils"));
        return false;
    }
    return SpawnDetached({opener, FsPath(path).string()}, std::string());
}
