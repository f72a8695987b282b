#pragma once
// One restore run, free of the long-lived records like the install's: it puts
// back what the record of Vantrel's changes says the game had, rewrites the
// sky file's base block and reports on every file, so that it can run on the
// install's worker thread while the window keeps drawing.
#include <string>
#include <vector>

#include "shaders/InstallRun.h"
#include "shaders/StepOutcome.h"

struct Settings;

struct FileNotRestored {
    std::u16string fileName;  // in dev\Shaders; or the record, a copy, the sky file
    FailureCause cause = FailureCause::Other;
    std::string why;  // the log line, UTF-8
};

struct RestoreOutcome {
    // True when every file the record names is back as the game had it, or
    // left to whoever changed it since (leftAlone), and nothing of the
    // program's own is left in the game folder but the entries of those.
    bool ok = false;
    // What stopped the restore before any file (no game folder, a record
    // that cannot be read, a link out of the game folder): the game folder is
    // then unchanged.
    FailureCause cause = FailureCause::None;
    std::string failureMessage;
    // Put back from their copies or the shipped folder, or found already
    // holding the game's own file; removed because the game had none.
    int filesRestored = 0;
    int filesRemoved = 0;
    // Changed after the install by a game update or another tool: theirs
    // stay, and so do their entries and copies.
    std::vector<std::u16string> leftAlone;
    // Files of the shipped originals the record does not name: Vantrel never
    // changed them, so they stay as they are.
    int filesNotRecorded = 0;
    std::vector<FileNotRestored> notRestored;
};

// The whole restore of settings.TSPath, the shipped originals taken from the
// program folder. Progress goes to the monitor (step Restoring, files done of
// the recorded ones); a stop ends it after the file it is at, the rest kept
// in the record.
RestoreOutcome RunRestore(const Settings& settings, InstallMonitor& monitor);
