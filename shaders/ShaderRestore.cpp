#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "game/WeatherPack.h"
#include "settings/Settings.h"
#include "shaders/ChangeManifest.h"
#include "shaders/EarlierBackups.h"
#include "shaders/GameShaderIo.h"
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

std::u16string Lower(std::u16string text) {
    for (auto& c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text;
}

// Only compiled effects belong in dev\Shaders; a note or readme beside them does not.
bool IsCompiledEffect(const std::u16string& fileName) {
    const std::u16string lower = Lower(fileName);
    return lower.size() > 5 && lower.compare(lower.size() - 5, 5, u".fx.o") == 0;
}

bool Contains(const std::vector<std::u16string>& names, const std::u16string& name) {
    for (const std::u16string& n : names) {
        if (SamePath(n, name)) return true;
    }
    return false;
}

struct RestoreRun {
    const std::u16string gamePath;
    ShaderInstaller& state;

    void CouldNotRestore(const std::u16string& fileName, const std::u16string& why) {
        Log(u"ERROR: Can't restore " + fileName + u": " + why);
        state.filesNotRestored.push_back(fileName);
    }

    // Undoes one recorded change. False when it must stay in the record.
    bool Undo(const ShaderChange& change) {
        const std::u16string target = GameShaderPath(gamePath, change.fileName);
        ShaderFileState current;
        if (!ReadGameShader(target, current)) {
            CouldNotRestore(change.fileName, u"the file in the game folder cannot be read");
            return false;
        }
        if (!change.IsOwnOutput(current.hash)) {
            // A game update or another tool replaced our file: theirs stays.
            if (current.exists || change.existed) {
                Log(u"Left " + change.fileName + u" alone: it changed after Vantrel installed it");
                ++state.filesLeftAlone;
            }
            return true;
        }
        if (!change.existed) {
            if (!RemoveFileIfExists(target)) {
                CouldNotRestore(change.fileName, u"it cannot be removed");
                return false;
            }
            ++state.filesRemoved;
            return true;
        }
        std::string original;
        if (!ReadOriginalCopy(gamePath, change, original)) {
            CouldNotRestore(change.fileName, u"the copy of the game's own file is missing or damaged");
            return false;
        }
        if (!WriteGameShader(target, original)) {
            CouldNotRestore(change.fileName, u"it cannot be written");
            return false;
        }
        ++state.filesRestored;
        return true;
    }

    // The earlier releases' backups join the record first, so that they are
    // undone the same way.
    void AdoptEarlierBackups(ChangeManifest& manifest) {
        for (const std::u16string& name : ListEarlierBackups(gamePath)) {
            if (LeftToWeatherPack(name)) continue;
            ShaderFileState current;
            if (!ReadGameShader(GameShaderPath(gamePath, name), current) ||
                !AdoptEarlierBackup(gamePath, name, current, manifest)) {
                CouldNotRestore(name, u"its earlier backup cannot be taken over");
            }
        }
    }

    void UndoRecordedChanges(ChangeManifest& manifest) {
        const std::vector<ShaderChange> changes = manifest.changes;
        for (const ShaderChange& change : changes) {
            if (LeftToWeatherPack(change.fileName) || !Undo(change)) continue;
            manifest.Remove(change.fileName);
            RemoveOriginalCopy(gamePath, change.fileName);
        }
        SaveChangeManifest(gamePath, manifest);
    }

    // The shipped stock files cover what the record does not.
    void CopyShippedOriginals(const std::vector<std::u16string>& recorded) {
        const std::u16string shipped = AppPaths.programFolder + u"Data\\OriginalShaders\\";
        std::vector<DirectoryEntry> entries;
        if (DirectoryExists(shipped) && !ListDirectory(shipped, entries)) {
            Log(u"ERROR: Can't read the folder " + shipped);
        }
        for (const DirectoryEntry& entry : entries) {
            if (entry.isDirectory || !IsCompiledEffect(entry.name) || Contains(recorded, entry.name) ||
                LeftToWeatherPack(entry.name)) {
                continue;
            }
            std::string bytes;
            if (!ReadFileBytes(shipped + entry.name, bytes) ||
                !WriteGameShader(GameShaderPath(gamePath, entry.name), bytes)) {
                CouldNotRestore(entry.name, u"the shipped original cannot be copied");
                continue;
            }
            ++state.filesRestored;
        }
    }
};

std::u16string Number(int n) { return Utf8ToWide(std::to_string(n)); }

}  // namespace

bool ShaderInstaller::Restore() {
    Settings& settings = Settings::Instance();
    ShaderInstaller& state = Instance();
    state.filesRestored = state.filesRemoved = state.filesLeftAlone = 0;
    state.filesNotRestored.clear();
    if (settings.TSPath.empty()) {
        Log("Can't restore TS original files. TS Path is empty");
        state.restoreOK = false;
        return false;
    }
    Log("Restoring TS original files...");

    RestoreRun run{settings.TSPath, state};
    ChangeManifest manifest;
    if (LoadChangeManifest(settings.TSPath, manifest)) {
        run.AdoptEarlierBackups(manifest);
        std::vector<std::u16string> recorded;
        for (const ShaderChange& change : manifest.changes) recorded.push_back(change.fileName);
        run.UndoRecordedChanges(manifest);
        run.CopyShippedOriginals(recorded);
    } else {
        // Without the record nothing is known about what to put back; the
        // shipped files could overwrite what another tool installed.
        run.CouldNotRestore(ChangeRecordFile(settings.TSPath), u"the record of Vantrel's changes cannot be read");
    }
    Log(u"Restored " + Number(state.filesRestored) + u" game shader files, removed " + Number(state.filesRemoved) +
        u", left " + Number(state.filesLeftAlone) + u" alone");

    WriteSkyOverrideBaseOnly();
    state.restoreOK = state.filesNotRestored.empty();
    if (state.restoreOK) {
        settings.ShadersInstallOK = false;
        settings.NeedShadersUpdate = false;
    }
    Log("Done");
    return state.restoreOK;
}

bool ShaderInstaller::RestoreSucceeded() { return Instance().restoreOK; }
