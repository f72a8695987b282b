#include "shaders/StepOutcome.h"

#include "app/FileHandles.h"
#include "app/Log.h"
#include "app/Text.h"

FailureCause CauseOfFileError(const std::error_code& error) {
    switch (ClassifyFileError(error)) {
        case FileErrorKind::None:
            return FailureCause::None;
        case FileErrorKind::Busy:
            return FailureCause::FileBusy;
        case FileErrorKind::ReadOnly:
            return FailureCause::FileReadOnly;
        case FileErrorKind::NoSpace:
            return FailureCause::DiskFull;
        case FileErrorKind::Other:
            break;
    }
    return FailureCause::Other;
}

StepOutcome StepFailed(FailureCause cause, const std::u16string& message, const std::u16string& path) {
    Log(message);
    StepOutcome outcome;
    outcome.ok = false;
    outcome.cause = cause;
    outcome.path = path;
    outcome.message = WideToUtf8(message);
    return outcome;
}

StepOutcome FileStepFailed(const std::u16string& path, const std::error_code& error, const std::u16string& message) {
    const FailureCause cause = CauseOfFileError(error);
    const std::u16string words = error ? u" (" + Utf8ToWide(error.message()) + u")" : u"";
    return StepFailed(cause == FailureCause::None ? FailureCause::Other : cause, message + words, path);
}
