#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/Log.h"
#include "app/Text.h"
#include "game/WeatherPack.h"
#include "settings/Settings.h"
#include "shaders/ShaderBackup.h"
#include "shaders/ShaderInstaller.h"
#include "shaders/SkyOverride.h"

namespace {

// Files the weather add-on supplies itself; compared exactly, case included.
const char16_t* const kWeatherPackFiles[] = {
    u"TrainPostDPPObjectDiffuse.fx.o", u"TrainParticleLit.fx.o",  u"TrainParticleEmissive.fx.o",
    u"TrainParticleDefault.fx.o",      u"TrainGlass.fx.o",        u"LoftPostDPPTexDiffSpec.fx.o",
    u"PostTrainVolumetricFog.fx.o",    u"TrainSkyDome.fx.o",
};

bool BelongsToWeatherPack(const std::u16string& fileName) {
    for (const char16_t* excluded : kWeatherPackFiles) {
        if (fileName == excluded) return true;
    }
    return false;
}

// Asked once per file, so an add-on installed mid-run is respected.
bool LeftToWeatherPack(const std::u16string& fileName) {
    return IsWeatherPackInstalled() && BelongsToWeatherPack(fileName);
}

bool Fail(const std::u16string& message) {
    Log(message);
    ShaderInstaller::Instance().restoreOK = false;
    return false;
}

}  // namespace

bool ShaderInstaller::Restore() {
    Settings& settings = Settings::Instance();
    if (settings.TSPath.empty()) {
        Log(std::string("Can't restore TS original files. TS Path is empty"));
        Instance().restoreOK = false;
        return false;
    }
    Log(std::string("Restoring TS original files..."));

    const std::u16string shipped = AppPaths.programFolder + u"Data\\OriginalShaders\\";
    const std::u16string destination = settings.TSPath + u"\\dev\\Shaders\\";
    std::vector<DirectoryEntry> entries;
    if (!ListDirectory(shipped, entries)) {
        return Fail(u"ERROR: Can't restore TS original files. The folder " + shipped +
                    u" is missing or cannot be read");
    }
    std::vector<std::u16string> shippedFiles;
    for (const DirectoryEntry& entry : entries) {
        if (entry.isDirectory) continue;
        shippedFiles.push_back(entry.name);
        if (LeftToWeatherPack(entry.name)) continue;
        CopyFileReplacing(shipped + entry.name, destination + entry.name);
    }

    // The game's own files saved by earlier installs fill what the program
    // does not ship.
    std::vector<std::u16string> backups;
    if (!ListShaderBackups(settings.TSPath, backups)) {
        return Fail(u"ERROR: Can't restore TS original files from the backups in " +
                    ShaderBackupFolder(settings.TSPath));
    }
    const std::u16string backupFolder = ShaderBackupFolder(settings.TSPath);
    int fromBackups = 0;
    for (const std::u16string& name : backups) {
        bool shippedToo = false;
        for (const std::u16string& s : shippedFiles) shippedToo = shippedToo || s == name;
        if (shippedToo || LeftToWeatherPack(name)) continue;
        CopyFileReplacing(backupFolder + name, destination + name);
        ++fromBackups;
    }
    if (fromBackups > 0) {
        Log(u"Restored " + Utf8ToWide(std::to_string(fromBackups)) +
            u" game shader files from the backups in " + backupFolder);
    }

    WriteSkyOverrideBaseOnly();
    settings.ShadersInstallOK = false;
    settings.NeedShadersUpdate = false;
    Log(std::string("Done"));
    Instance().restoreOK = true;
    return true;
}

bool ShaderInstaller::RestoreSucceeded() { return Instance().restoreOK; }
