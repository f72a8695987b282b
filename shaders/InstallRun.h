#pragma once
// One install run, free of the long-lived records: it reads only the copy of
// the settings it is given and reports its progress through a monitor, so
// that it can run on a thread of its own while the window keeps drawing.
// The effects compile side by side; they go into the game folder one by one,
// in install order, and the first that fails stops the run there.
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "shaders/StepOutcome.h"

struct Settings;

enum class InstallStep { Preparing, Compiling, SkyFile, PlayerProfile, Finished, Restoring };

enum class InstallStatus {
    Installed,             // every step did its work
    InstalledWithWarning,  // the effects are in the game, but a later step failed: see warnings
    Failed,                // the install stopped: see cause; the game folder holds what effectsWritten says
};

// A step after the effects that failed while the effects stay installed.
struct InstallWarning {
    InstallStep step = InstallStep::SkyFile;  // SkyFile or PlayerProfile
    FailureCause cause = FailureCause::Other;
    std::u16string path;  // the file or link in the way, when there is one
    std::string message;  // the log line or the step's own words, UTF-8
};

struct InstallOutcome {
    InstallStatus status = InstallStatus::Failed;
    // Failed: why (the interface has a text per cause), the effect that failed
    // (empty when the failure was not one effect's), the file or link in the
    // way, and the compiler's words or the log line of the cause (UTF-8 lines).
    FailureCause cause = FailureCause::None;
    std::u16string failedEffect;
    std::u16string failedPath;
    std::string failureMessage;
    // A compiler that cannot build these effects at all (Wine's own): what
    // works instead, once; empty otherwise.
    std::string advice;
    // The game folder: effects whose file holds the compiled effect (written
    // now or already current), those written by this run (0 after a failure:
    // the game folder is as it was), those placed (installed or kept), and
    // those whose game file was kept because the new one lacks part of the
    // game's interface.
    int effectsInstalled = 0;
    int effectsWritten = 0;
    int effectsCompiled = 0;
    std::vector<std::u16string> keptEffects;
    // InstalledWithWarning: the later steps that failed, in order.
    std::vector<InstallWarning> warnings;
    // Switched on in the player profile by this install.
    bool forcedTSX = false;
    bool forcedBloom = false;

    // The effects are in the game (with or without a warning).
    bool ok() const { return status != InstallStatus::Failed; }
};

struct InstallProgress {
    InstallStep step = InstallStep::Preparing;
    unsigned done = 0;   // effects compiled or taken from the kept ones; files restored
    unsigned total = 0;  // effects of this install; recorded files of this restore
    std::vector<std::u16string> compiling;  // effects being compiled right now
};

// Shared by the run and whoever watches it; stop asks the run to end after
// the step it is in (no compile is cut short, no file is left half-copied).
struct InstallMonitor {
    std::mutex lock;
    InstallProgress progress;
    std::atomic<bool> stop{false};

    InstallProgress Snapshot();
    void Step(InstallStep step);
};

// As many compiles at a time as the machine has cores, 1 to 15.
unsigned DefaultParallelCompiles();

// The whole install into settings.TSPath; parallelCompiles 0 means the default.
InstallOutcome RunInstall(const Settings& settings, unsigned parallelCompiles, InstallMonitor& monitor);
