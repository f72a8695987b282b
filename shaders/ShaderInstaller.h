#pragma once
// Install and restore of the enhanced shader set, and the outcome of the last
// run of each. Either runs on a thread of its own (StartInstall,
// StartRestore: one at a time), or on the caller's (Install, Restore); either
// way its outcome is applied to this record and to the settings on the
// thread that collects it, never by the worker.
#include "shaders/InstallRun.h"
#include "shaders/ShaderRestore.h"

struct ShaderInstaller {
    InstallOutcome install;  // of the last install
    RestoreOutcome restore;  // of the last restore

    static ShaderInstaller& Instance();

    // The whole install on the calling thread, outcome applied (see
    // KeepInstall below); true when the effects are in the game, with or
    // without a warning. parallelCompiles 0 means one compile per core.
    static bool Install(unsigned parallelCompiles = 0);
    // The whole restore on the calling thread, outcome applied; true on success.
    static bool Restore();

    // ---- the same on a thread of its own; called from the main thread only
    enum class Job { None, Install, Restore };
    // Start on a copy of the current settings; false while a job is running.
    static bool StartInstall();
    static bool StartRestore();
    // From the start until its outcome has been collected; which job it is.
    static bool JobIsRunning();
    static Job RunningJob();
    static InstallProgress GetProgress();
    // Once the job's thread has ended: joins it, applies the outcome and
    // returns the job (once); None while there is nothing to collect.
    static Job CollectFinishedJob();
    // Asks a running job to stop after the step it is in and waits for it;
    // the outcome is left for CollectFinishedJob.
    static void StopJobAndWait();
};

// Applying an outcome, on the collecting thread: the record above takes it;
// an install that put the effects in marks the shaders installed and saves
// the settings file, a restore that succeeded marks them not installed and
// saves it; then the result line is logged ("Shaders Installation
// Succeeded", "... Succeeded with warnings", "Shaders Installation Failed",
// "Shaders Restoration Succeeded", "Shaders Restoration Failed").
void KeepInstall(const InstallOutcome& outcome);
void KeepRestore(const RestoreOutcome& outcome);
