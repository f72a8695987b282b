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

struct Settings;

struct InstallOutcome {
    bool ok = false;
    bool forcedTSX = false;
    bool forcedBloom = false;
    std::u16string failedEffect;  // empty when the failure was not one effect's
    std::string failureMessage;   // the compiler's words, or the cause; UTF-8 lines
    // Effects put into the game folder of those compiled, and those whose game
    // file was kept because the new one lacks part of the game's interface.
    int effectsInstalled = 0;
    int effectsCompiled = 0;
    std::vector<std::u16string> keptEffects;
};

enum class InstallStep { Preparing, Compiling, SkyFile, PlayerProfile, Finished };

struct InstallProgress {
    InstallStep step = InstallStep::Preparing;
    unsigned done = 0;   // effects compiled or taken from the kept ones
    unsigned total = 0;  // effects of this install
    std::vector<std::u16string> compiling;  // effects being compiled right now
};

// Shared by the run and whoever watches it; stop asks the run to end after
// the step it is in (no compile is cut short, no file is left half-copied).
struct InstallMonitor {
    std::mutex lock;
    InstallProgress progress;
    std::atomic<bool> stop{false};

    InstallProgress Snapshot();
};

// As many compiles at a time as the machine has cores, 1 to 15.
unsigned DefaultParallelCompiles();

// The whole install into settings.TSPath; parallelCompiles 0 means the default.
InstallOutcome RunInstall(const Settings& settings, unsigned parallelCompiles, InstallMonitor& monitor);
