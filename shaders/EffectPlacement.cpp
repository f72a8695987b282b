#include "shaders/EffectPlacement.h"

#include "app/FileIo.h"
#include "app/Log.h"
#include "app/Sha256.h"
#include "app/Text.h"
#include "shaders/ChangeManifest.h"
#include "shaders/EarlierBackups.h"
#include "shaders/EffectBinary.h"
#include "shaders/GameShaderIo.h"

namespace {

EffectPlacement Outcome(PlacementOutcome outcome, const std::u16string& message) {
    Log(message);
    EffectPlacement placement;
    placement.outcome = outcome;
    placement.message = message;
    placement.gameFileWritten = outcome == PlacementOutcome::Installed;
    return placement;
}

// The step that failed has logged its own line; this one says what it meant.
EffectPlacement Failed(const StepOutcome& step, const std::u16string& message) {
    EffectPlacement failed = Outcome(PlacementOutcome::Failed, message);
    failed.cause = step.cause == FailureCause::None ? FailureCause::Other : step.cause;
    failed.path = step.path;
    return failed;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// True when both read as effects and the replacement lacks part of the game's
// interface; a file that is no effect binary is not checked.
bool LacksGameInterface(const std::string& gameEffect, const std::string& replacement, MissingInterface& missing) {
    EffectInterface game, candidate;
    if (!ReadEffectInterface(gameEffect, game) || !ReadEffectInterface(replacement, candidate)) return false;
    missing = FindMissingInterface(game, candidate);
    return !missing.empty();
}

EffectPlacement KeepGameEffect(const std::u16string& gamePath, const std::u16string& fileName, bool ownOutputThere,
                               const std::string& gameEffect, ChangeManifest& manifest,
                               const MissingInterface& missing) {
    // The folder holds an earlier output of ours: the game's own goes back in,
    // and the file is no longer ours to restore. Once the game's file is back,
    // a record or copy left over is harmless: the next run sees the original.
    if (ownOutputThere) {
        const StepOutcome back = WriteGameShader(gamePath, fileName, gameEffect);
        if (!back.ok) {
            return Failed(back, u"ERROR: Can't put the game's own " + fileName + u" back into " + gamePath +
                                    u"\\dev\\Shaders");
        }
        manifest.Remove(fileName);
        if (SaveChangeManifest(gamePath, manifest).ok) RemoveOriginalCopy(gamePath, fileName);
    }
    std::string lacks;
    if (!missing.techniques.empty()) lacks = "techniques " + Joined(missing.techniques);
    if (!missing.parameters.empty()) {
        lacks += (lacks.empty() ? "" : "; ") + std::string("parameters ") + Joined(missing.parameters);
    }
    EffectPlacement kept = Outcome(PlacementOutcome::KeptGameEffect,
                                   u"Kept the game's own " + fileName + u": the new effect lacks " + Utf8ToWide(lacks));
    kept.gameFileWritten = ownOutputThere;
    kept.missingTechniques = missing.techniques;
    kept.missingParameters = missing.parameters;
    return kept;
}

// What the game folder holds before this write becomes the original.
StepOutcome RecordOriginal(const std::u16string& gamePath, ShaderChange& change, const ShaderFileState& current) {
    change.existed = current.exists;
    change.originalHash = current.hash;
    change.writtenHash.clear();
    change.pendingHash.clear();
    if (!current.exists) return RemoveOriginalCopy(gamePath, change.fileName);
    return SaveOriginalCopy(gamePath, change.fileName, current.bytes);
}

}  // namespace

EffectPlacement PutEffectIntoGame(const std::u16string& gamePath, const std::u16string& effectName,
                                  const std::u16string& compiledFile) {
    const std::u16string fileName = effectName + u".fx.o";
    const std::u16string target = GameShaderPath(gamePath, fileName);
    const std::u16string notInstalled = u"ERROR: " + fileName + u" was not installed, because ";

    for (const std::u16string& part : {std::u16string(kGameShaderFolder), ChangeRecordPart()}) {
        const StepOutcome inside = CheckGameFolder(gamePath, part);
        if (!inside.ok) return Failed(inside, notInstalled + u"a link leads out of the game folder: " + inside.path);
    }
    std::string compiled;
    if (!ReadFileBytes(compiledFile, compiled)) {
        return Failed(StepOutcome(), notInstalled + u"the compiled effect " + compiledFile + u" cannot be read");
    }
    ChangeManifest manifest;
    StepOutcome step = LoadChangeManifest(gamePath, manifest);
    if (!step.ok) return Failed(step, notInstalled + u"the record of Vantrel's changes cannot be read");
    ShaderFileState current;
    step = ReadGameShader(gamePath, fileName, current);
    if (!step.ok) return Failed(step, notInstalled + u"the game's file cannot be read");
    step = AdoptEarlierBackup(gamePath, fileName, current, manifest);
    if (!step.ok) return Failed(step, notInstalled + u"the earlier backup of the game's file cannot be taken over");

    ShaderChange* change = manifest.Find(fileName);
    const bool ownOutputThere = change && change->IsOwnOutput(current.hash);
    std::string gameEffect;
    bool haveGameEffect = false;
    if (ownOutputThere) {
        if (change->existed) {
            if (!ReadOriginalCopy(gamePath, *change, gameEffect)) {
                return Failed(StepOutcome(), notInstalled + u"the copy of the game's own file is damaged");
            }
            haveGameEffect = true;
        }
    } else if (current.exists) {
        gameEffect = current.bytes;
        haveGameEffect = true;
    }
    MissingInterface missing;
    if (haveGameEffect && LacksGameInterface(gameEffect, compiled, missing)) {
        return KeepGameEffect(gamePath, fileName, ownOutputThere, gameEffect, manifest, missing);
    }

    const std::string written = Sha256Hex(compiled);
    if (ownOutputThere && current.hash == written) {
        // Nothing to write; the record only learns that the write it was
        // about to make had been made.
        if (change->writtenHash != written) {
            change->writtenHash = written;
            change->pendingHash.clear();
            SaveChangeManifest(gamePath, manifest);
        }
        return Outcome(PlacementOutcome::AlreadyCurrent, u"Installed shader already current: " + effectName);
    }

    // Backed up before the first write, and again whenever the file is no
    // longer what we wrote (a game update, another tool); never our own output.
    const bool firstTime = change == nullptr;
    if (firstTime) {
        manifest.changes.emplace_back();
        change = &manifest.changes.back();
        change->fileName = fileName;
    }
    if (ownOutputThere) {
        // The file holds an output of ours that the record may know only as
        // pending: it stays named until the record says what replaced it.
        change->writtenHash = current.hash;
    } else {
        const bool changedSince =
            !firstTime && (change->existed != current.exists || change->originalHash != current.hash);
        step = RecordOriginal(gamePath, *change, current);
        if (!step.ok) return Failed(step, notInstalled + u"the game's own file could not be backed up");
        if (changedSince) {
            Log(u"Backed up the game's " + fileName + u" again: it changed since Vantrel installed it");
        } else if (firstTime && current.exists) {
            Log(u"Backed up original shader: " + fileName);
        }
    }

    // Recorded before the write, so that an interruption between the two
    // never lets our own output pass for the game's file.
    change->pendingHash = written;
    step = SaveChangeManifest(gamePath, manifest);
    if (!step.ok) return Failed(step, notInstalled + u"the record of Vantrel's changes cannot be written");
    const StepOutcome write = WriteGameShader(gamePath, fileName, compiled);
    if (!write.ok) {
        // The failed write left the old file whole: the record goes back to it.
        if (firstTime) {
            manifest.Remove(fileName);
            if (SaveChangeManifest(gamePath, manifest).ok) RemoveOriginalCopy(gamePath, fileName);
        } else {
            change->pendingHash.clear();
            SaveChangeManifest(gamePath, manifest);
        }
        return Failed(write, notInstalled + u"it cannot be written into " + gamePath + u"\\dev\\Shaders");
    }
    change->writtenHash = written;
    change->pendingHash.clear();
    SaveChangeManifest(gamePath, manifest);  // on failure the pending hash still names our output
    return Outcome(PlacementOutcome::Installed, u"Compiled and installed shader: " + effectName);
}
