#pragma once
// Tries an operation again while it fails, for files that the game or a virus
// scanner holds open for a moment: attempts times in all, waitMs apart.
#include <chrono>
#include <thread>

template <typename Operation>
bool RetryWhileBusy(int attempts, unsigned waitMs, Operation operation) {
    for (int attempt = 1;; ++attempt) {
        if (operation()) return true;
        if (attempt >= attempts) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    }
}
