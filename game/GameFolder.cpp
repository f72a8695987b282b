#include "game/GameFolder.h"

#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "settings/Settings.h"

bool IsValidGamePath(const std::u16string& path) {
    if (!PathExists(path)) return false;
    return PathExists(path + u"\\RailWorks.exe") || PathExists(path + u"\\RailWorks64.exe");
}

void DiscoverGameInstallation(Settings& settings) {
    std::u16string path;
    const RegistryInstallPath registry = QueryGameInstallPathFromRegistry();
    if (registry.keyOpened) {
        // A key without a readable install_path: nothing logged, no other source.
        if (registry.valueRead) {
            path = registry.path;
            Log(u"Found train simulator install path reg key: " + path);
        }
    } else {
        path = FindGameInSteamLibraries(SteamRootFolders());
        if (!path.empty()) {
            Log(u"Found train simulator in a Steam library: " + path);
        } else {
            Log("Unable to find train simulator install path reg key");
        }
    }

    settings.Language = 0;
    settings.ShadersInstallOK = false;
    settings.NeedShadersUpdate = false;
    settings.TSPath = DirectoryExists(path) ? path : std::u16string();
    settings.ShadersVersion.clear();
    settings.RestoreShaderDefaults();
}

FolderChoice ChooseGameFolder() {
    Settings& settings = Settings::Instance();
    const std::string initial = settings.TSPath.empty() ? std::string() : WideToUtf8(settings.TSPath);
    const std::u16string chosen = BrowseForGameFolder(initial);
    if (chosen.empty()) return FolderChoice::Cancelled;
    if (!IsValidGamePath(chosen)) return FolderChoice::Rejected;
    settings.TSPath = chosen;
    settings.SaveSettingsFile();
    return FolderChoice::Accepted;
}
