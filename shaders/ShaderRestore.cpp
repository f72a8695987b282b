#include "shaders/ShaderRestore.h"

#include <string>
#include <unordered_set>
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

std::u16string Number(size_t n) { return Utf8ToWide(std::to_string(n)); }

struct RestoreRun {
    const std::u16string gamePath;
    RestoreOutcome& outcome;
    const std::u16string shipped = AppPaths.programFolder + u"Data\\OriginalShaders\\";

    // Asked once per file, so an add-on installed mid-run is respected.
    bool LeftToWeatherPack(const std::u16string& fileName) const {
        return BelongsToWeatherPack(fileName) && IsWeatherPackInstalled(gamePath);
    }

    void CouldNotRestore(const std::u16string& fileName, FailureCause cause, const std::u16string& why) {
        const std::u16string line = u"ERROR: Can't restore " + fileName + u": " + why;
        Log(line);
        outcome.notRestored.push_back(
            {fileName, cause == FailureCause::None ? FailureCause::Other : cause, WideToUtf8(line)});
    }

    bool ReadShipped(const std::u16string& fileName, std::string& bytes) const {
        return PathExists(shipped + fileName) && ReadFileBytes(shipped + fileName, bytes);
    }

    // Once the game's file holds the original, its copy goes; true when it is
    // gone. Otherwise the entry stays, and the next restore finds the
    // original in place and tries again.
    bool DropCopy(const ShaderChange& change) {
        const StepOutcome removed = RemoveOriginalCopy(gamePath, change.fileName);
        if (!removed.ok) {
            CouldNotRestore(change.fileName, removed.cause, u"its copy in the record's folder cannot be removed");
        }
        return removed.ok;
    }

    // Undoes one recorded change; true when its entry can leave the record.
    bool Undo(const ShaderChange& change) {
        ShaderFileState current;
        StepOutcome step = ReadGameShader(gamePath, change.fileName, current);
        if (!step.ok) {
            CouldNotRestore(change.fileName, step.cause, u"the file in the game folder cannot be read");
            return false;
        }
        // An interrupted install or restore may have left the game's own there.
        const bool isOriginal =
            change.existed ? current.exists && current.hash == change.originalHash : !current.exists;
        if (isOriginal) {
            ++(change.existed ? outcome.filesRestored : outcome.filesRemoved);
            return DropCopy(change);
        }
        std::string original;
        if (!change.IsOwnOutput(current.hash)) {
            // Not what we wrote: a game update or another tool replaced it,
            // and theirs stays, with our entry and copy for a later restore.
            // An entry that matches neither the file nor its copy is wrong
            // about something: it is named, and nothing is touched.
            if (change.existed && !ReadOriginalCopy(gamePath, change, original)) {
                CouldNotRestore(change.fileName, FailureCause::RecordUnreadable,
                                u"the record's entry matches neither the file nor its copy; both are left as they are");
                return false;
            }
            Log(u"Left " + change.fileName + u" alone: it changed after Vantrel installed it");
            outcome.leftAlone.push_back(change.fileName);
            return false;
        }
        if (!change.existed) {
            step = RemoveGameShader(gamePath, change.fileName);
            if (!step.ok) {
                CouldNotRestore(change.fileName, step.cause, u"it cannot be removed");
                return false;
            }
            ++outcome.filesRemoved;
            return DropCopy(change);
        }
        // The shipped originals stand in only for a copy that is lost; a
        // damaged copy stays, as it may be the only one there is.
        const bool fromCopy = ReadOriginalCopy(gamePath, change, original);
        if (!fromCopy && !ReadShipped(change.fileName, original)) {
            CouldNotRestore(change.fileName, FailureCause::Other,
                            u"the copy of the game's own file is missing or damaged");
            return false;
        }
        step = WriteGameShader(gamePath, change.fileName, original);
        if (!step.ok) {
            CouldNotRestore(change.fileName, step.cause, u"it cannot be written");
            return false;
        }
        ++outcome.filesRestored;
        if (fromCopy) return DropCopy(change);
        Log(u"Restored " + change.fileName + u" from the shipped originals: its copy is missing or damaged");
        return true;
    }

    // The earlier releases' backups join the record first, so that they are
    // undone the same way.
    void AdoptEarlierBackups(ChangeManifest& manifest) {
        for (const std::u16string& name : ListEarlierBackups(gamePath)) {
            if (LeftToWeatherPack(name)) continue;
            ShaderFileState current;
            StepOutcome step = ReadGameShader(gamePath, name, current);
            if (step.ok) step = AdoptEarlierBackup(gamePath, name, current, manifest);
            if (!step.ok) CouldNotRestore(name, step.cause, u"its earlier backup cannot be taken over");
        }
    }

    // Linear: the entries that stay are gathered, and the record is saved
    // once. A file put back before an interruption is found in place next time.
    void UndoRecordedChanges(ChangeManifest& manifest, InstallMonitor& monitor) {
        {
            std::lock_guard<std::mutex> hold(monitor.lock);
            monitor.progress.total = static_cast<unsigned>(manifest.changes.size());
        }
        std::vector<ShaderChange> staying;
        for (size_t i = 0; i < manifest.changes.size(); ++i) {
            const ShaderChange& change = manifest.changes[i];
            if (monitor.stop) {
                if (outcome.cause == FailureCause::None) {
                    const StepOutcome stopped =
                        StepFailed(FailureCause::Stopped, u"Restore stopped: the program is closing");
                    outcome.cause = stopped.cause;
                    outcome.failureMessage = stopped.message;
                }
                staying.push_back(change);
                continue;
            }
            if (LeftToWeatherPack(change.fileName) || !Undo(change)) staying.push_back(change);
            std::lock_guard<std::mutex> hold(monitor.lock);
            monitor.progress.done = static_cast<unsigned>(i + 1);
        }
        if (staying.size() == manifest.changes.size() && manifest.refused.empty()) return;
        manifest.changes = std::move(staying);
        const StepOutcome saved = SaveChangeManifest(gamePath, manifest);
        if (!saved.ok) {
            CouldNotRestore(ChangeRecordFile(gamePath), saved.cause,
                            u"the record of Vantrel's changes cannot be written");
        }
    }

    // With a record, the shipped originals only fill in for lost copies (in
    // Undo): a file the record does not name was never changed by Vantrel
    // and may hold a game update or another tool's work. Without one (an
    // install by a release that kept none), they are all put back.
    void ShippedOriginals(bool haveRecord, const std::unordered_set<std::u16string>& recorded) {
        std::vector<DirectoryEntry> entries;
        if (DirectoryExists(shipped) && !ListDirectory(shipped, entries)) {
            Log(u"ERROR: Can't read the folder " + shipped);
        }
        for (const DirectoryEntry& entry : entries) {
            if (entry.isDirectory || !IsCompiledEffect(entry.name) || LeftToWeatherPack(entry.name)) continue;
            if (haveRecord) {
                if (!recorded.count(PathCaseKey(entry.name))) ++outcome.filesNotRecorded;
                continue;
            }
            std::string bytes;
            if (!ReadShipped(entry.name, bytes)) {
                CouldNotRestore(entry.name, FailureCause::Other, u"the shipped original cannot be read");
                continue;
            }
            const StepOutcome written = WriteGameShader(gamePath, entry.name, bytes);
            if (!written.ok) {
                CouldNotRestore(entry.name, written.cause, u"the shipped original cannot be copied");
                continue;
            }
            ++outcome.filesRestored;
        }
    }

    // Once nothing is recorded, nothing of the program's may stay behind.
    void CheckNothingLeft() {
        const std::u16string folder = gamePath + u"\\" + ChangeRecordPart();
        if (!PathExists(folder)) return;
        std::vector<DirectoryEntry> entries;
        std::u16string held;
        ListDirectory(folder, entries);
        for (const DirectoryEntry& entry : entries) {
            std::vector<DirectoryEntry> inner;
            if (entry.isDirectory && ListDirectory(folder + u"\\" + entry.name, inner)) {
                for (const DirectoryEntry& file : inner) {
                    held += (held.empty() ? u"" : u", ") + entry.name + u"\\" + file.name;
                }
            } else {
                held += (held.empty() ? u"" : u", ") + entry.name;
            }
        }
        CouldNotRestore(folder, FailureCause::Other,
                        u"the record's folder still holds " + (held.empty() ? u"itself" : held));
    }
};

}  // namespace

RestoreOutcome RunRestore(const Settings& settings, InstallMonitor& monitor) {
    RestoreOutcome outcome;
    const auto stop = [&](const StepOutcome& step) {
        outcome.cause = step.cause == FailureCause::None ? FailureCause::Other : step.cause;
        outcome.failureMessage = step.message;
        return outcome;
    };
    const std::u16string& gamePath = settings.TSPath;
    if (gamePath.empty()) {
        return stop(StepFailed(FailureCause::Other, u"Can't restore TS original files. TS Path is empty"));
    }
    Log("Restoring TS original files...");
    monitor.Step(InstallStep::Restoring);
    for (const std::u16string& part : {std::u16string(kGameShaderFolder), ChangeRecordPart()}) {
        const StepOutcome inside = CheckGameFolder(gamePath, part);
        if (!inside.ok) return stop(inside);
    }
    const StepOutcome tidied = RemoveInterruptedWrites(gamePath);
    ChangeManifest manifest;
    const StepOutcome loaded = LoadChangeManifest(gamePath, manifest);
    if (!loaded.ok) return stop(loaded);

    RestoreRun run{gamePath, outcome};
    if (!tidied.ok) {
        run.CouldNotRestore(tidied.path, tidied.cause, u"what an interrupted write left there cannot be removed");
    }
    for (const std::string& name : manifest.refused) {
        run.CouldNotRestore(Utf8ToWide(name), FailureCause::RecordUnreadable,
                            u"its entry in the record of Vantrel's changes is not valid; it is left as it is");
    }
    RemoveUnrecordedCopies(gamePath, manifest);
    run.AdoptEarlierBackups(manifest);
    const bool haveRecord = manifest.onDisk || !manifest.changes.empty();
    std::unordered_set<std::u16string> recorded;
    for (const ShaderChange& change : manifest.changes) recorded.insert(PathCaseKey(change.fileName));
    for (const std::string& name : manifest.refused) recorded.insert(PathCaseKey(Utf8ToWide(name)));
    run.UndoRecordedChanges(manifest, monitor);
    run.ShippedOriginals(haveRecord, recorded);
    Log(u"Restored " + Number(outcome.filesRestored) + u" game shader files, removed " + Number(outcome.filesRemoved) +
        u", left " + Number(outcome.leftAlone.size()) + u" alone");
    if (outcome.filesNotRecorded > 0) {
        Log(u"Left " + Number(outcome.filesNotRecorded) +
            u" files of the shipped originals alone: the record of Vantrel's changes does not name them");
    }

    const StepOutcome sky = WriteSkyOverrideBaseOnly(gamePath);
    if (!sky.ok) run.CouldNotRestore(SkyOverridePath(gamePath), sky.cause, u"the sky file cannot be written");
    if (manifest.changes.empty()) run.CheckNothingLeft();
    outcome.ok = outcome.cause == FailureCause::None && outcome.notRestored.empty();
    Log("Done");
    return outcome;
}
