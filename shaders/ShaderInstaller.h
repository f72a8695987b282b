#pragma once
// Install and restore of the enhanced shader set, and the outcome of the last
// run of each. The install runs on a thread of its own (StartInstall), or on
// the caller's (Install); either way its outcome is applied to this record
// and to the settings on the thread that collects it, never by the worker.
#include <string>
#include <vector>

#include "shaders/InstallRun.h"

struct ShaderInstaller {
    bool installOK = false;
    bool forcedTSX = false;
    bool forcedBloom = false;
    bool restoreOK = false;
    // Of the last failed install: the effect that failed (empty when no one
    // effect was to blame) and the compiler's words or the cause, UTF-8.
    std::u16string failedEffect;
    std::string failureMessage;

    // Last install: effects put into the game folder of those compiled, and
    // the effects whose game file was kept because the new one lacks part
    // of the game's interface.
    int effectsInstalled = 0;
    int effectsCompiled = 0;
    std::vector<std::u16string> keptEffects;

    // Last restore: game files put back from their originals (or the shipped
    // folder), files removed because the game had none, files left alone
    // because they changed after the install, and files that could not be
    // put back (restoreOK is false exactly when there is one).
    int filesRestored = 0;
    int filesRemoved = 0;
    int filesLeftAlone = 0;
    std::vector<std::u16string> filesNotRestored;

    static ShaderInstaller& Instance();
    // The whole install on the calling thread, outcome applied. parallelCompiles
    // 0 means one compile per core.
    static bool Install(unsigned parallelCompiles = 0);
    static bool Restore();
    static void GetInstallResult(bool& installOK, bool& forcedTSX, bool& forcedBloom);
    static bool RestoreSucceeded();

    // ---- the install on a thread of its own; called from the main thread only
    // Starts it on a copy of the current settings; false while one is running.
    static bool StartInstall();
    // From the start until its outcome has been collected.
    static bool InstallIsRunning();
    static InstallProgress GetInstallProgress();
    // Once the install's thread has ended: joins it, applies the outcome and
    // returns true (once), with the install's result in ok.
    static bool CollectFinishedInstall(bool& ok);
    // Asks a running install to stop after the step it is in and waits for it;
    // the outcome is left for CollectFinishedInstall.
    static void StopInstallAndWait();
};
