#pragma once
// Puts one compiled effect into the game folder: checks it against the
// interface of the game's own effect, records the game's file in the change
// record (with a copy) before it is first replaced, writes the effect, and
// records what was written. Reads nothing but its arguments and the files
// they name (and the earlier releases' backups under the preference folder),
// so it can run on a worker thread; one call at a time per game folder.
#include <string>
#include <vector>

#include "shaders/StepOutcome.h"

enum class PlacementOutcome {
    Installed,       // the game folder now holds the compiled effect, written by this call
    AlreadyCurrent,  // it held exactly these bytes already and was not written again
    KeptGameEffect,  // the compiled effect lacks part of the game's interface; the game's own stays
    Failed,          // the file was not replaced; cause and message say why (the install stops)
};

struct EffectPlacement {
    PlacementOutcome outcome = PlacementOutcome::Failed;
    // Failed: why, and the file or link in the way when there is one.
    FailureCause cause = FailureCause::None;
    std::u16string path;
    // True when the game's file was written: the effect installed, or for
    // KeptGameEffect the game's own put back over an earlier output.
    bool gameFileWritten = false;
    // For KeptGameEffect: the game's techniques, and parameters ("name (type)"),
    // that the compiled effect lacks.
    std::vector<std::string> missingTechniques;
    std::vector<std::string> missingParameters;
    // One line about the outcome, already written to the log; for the popups.
    std::u16string message;
};

// gamePath: the game folder (TSPath); effectName: "Rain"; compiledFile: the
// compiler's output. The target is gamePath\dev\Shaders\<effectName>.fx.o.
EffectPlacement PutEffectIntoGame(const std::u16string& gamePath, const std::u16string& effectName,
                                  const std::u16string& compiledFile);
