#pragma once
// What each step of the install and the restore reports: whether it did its
// work and, when not, why, sorted into the causes the interface has a text
// for. A failure is logged where it is made.
#include <string>
#include <system_error>

enum class FailureCause {
    None,
    CompilerError,     // an effect did not compile
    NoCompiler,        // no effect compiler was found or could be started
    FileBusy,          // a game file is held open by another program (the game itself)
    FileReadOnly,      // a game file or folder is read-only, or access to it is denied
    DiskFull,          // no space left on the disk of the game folder
    LinkOutOfGame,     // a link in the game folder leads out of it
    RecordUnreadable,  // the record of Vantrel's changes in the game folder cannot be read
    Stopped,           // the program was closing
    Other,
};

struct StepOutcome {
    bool ok = true;
    FailureCause cause = FailureCause::None;
    std::u16string path;  // the file or link in the way, when there is one
    std::string message;  // the log line, UTF-8
};

// The cause of a failed file operation.
FailureCause CauseOfFileError(const std::error_code& error);
// Logs the message and returns it as a failed step.
StepOutcome StepFailed(FailureCause cause, const std::u16string& message, const std::u16string& path = u"");
// A failed file operation on path: "<message> (<the system's words>)", its
// cause sorted from the error.
StepOutcome FileStepFailed(const std::u16string& path, const std::error_code& error, const std::u16string& message);
