#pragma once
// Tries a file operation again while it fails on a file that the game or a
// virus scanner holds open for a moment: attempts times in all, waitMs apart.
// Any other failure (no space, access denied, a folder in the way) never
// clears by waiting and ends the tries at once. The operation takes the
// error_code to fill with its cause; cause holds that of the last try.
#include <chrono>
#include <system_error>
#include <thread>

#include "app/FileHandles.h"

template <typename Operation>
bool RetryWhileBusy(int attempts, unsigned waitMs, std::error_code& cause, Operation operation) {
    for (int attempt = 1;; ++attempt) {
        cause.clear();
        if (operation(cause)) return true;
        if (attempt >= attempts || ClassifyFileError(cause) != FileErrorKind::Busy) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    }
}
