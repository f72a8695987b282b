#include "host/Startup.h"

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "game/GameFolder.h"
#include "settings/Settings.h"

bool StartUpFolders() {
    SetAppPaths(PlatformPreferenceFolder(), PlatformProgramFolder());
    // Without these folders there is nowhere to keep settings or even a log,
    // so the user is told directly.
    if (AppPaths.programFolder.empty()) {
        PlatformReportFatalError("Vantrel could not start: the folder of the program could not be determined.");
        return false;
    }
    if (!AppPaths.preferenceFolder.empty() && !DirectoryExists(AppPaths.preferenceFolder)) {
        CreateDirectories(AppPaths.preferenceFolder);
    }
    if (AppPaths.preferenceFolder.empty() || !DirectoryExists(AppPaths.preferenceFolder)) {
        const std::string folder = WideToUtf8(AppPaths.preferenceFolder);
        PlatformReportFatalError("Vantrel could not start: its settings folder " +
                                 (folder.empty() ? std::string() : folder + " ") +
                                 "could not be created. Check that your user folder can be written to.");
        return false;
    }
    RemoveInterruptedSaves(AppPaths.settingsFile);
    if (!DirectoryExists(AppPaths.workFolder)) CreateDirectories(AppPaths.workFolder);
    if (DirectoryExists(AppPaths.workFolder)) PlatformHideFolder(AppPaths.workFolder);
    ClearLog();
    return true;
}

bool StartUpPaths() {
    if (!StartUpFolders()) return false;
    std::string error;
    if (!PlatformInitTimer(error)) {
        Log("Vantrel init error:");
        Log(error);
        PlatformReportFatalError("Vantrel could not start: " + error);
        return false;
    }
    return true;
}

void StartUpDiscoverGame() { DiscoverGameInstallation(Settings::Instance()); }

SettingsFileLoad StartUpLoadSettings() {
    Log(u"Vantrel initialized (version " + APP_VERSION + u")");
    Settings& settings = Settings::Instance();
    SettingsFileLoad load;
    if (PathExists(AppPaths.settingsFile)) {
        load = settings.LoadSettingsFile();
        if (!IsValidGamePath(settings.TSPath)) {
            Log("TS Path is not valid anymore. Reseting it to empty value...");
            settings.TSPath.clear();
            settings.SaveSettingsFile();
        }
    } else {
        Log("Settings file not found. Creating it now...");
        settings.SaveSettingsFile();
    }
    return load;
}
