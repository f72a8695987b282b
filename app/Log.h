#pragma once
// The run's plain-text log: preference folder + "log.txt", one line per entry,
// opened, appended and closed on every call; safe to call from any thread.
#include <string>

void Log(std::string message);     // UTF-8
void Log(std::u16string message);  // UTF-16
// preference folder + "log.txt".
std::u16string LogFilePath();
// Deletes the log file; done once at start-up before the first entry.
void ClearLog();
// From now on every entry is also written to the standard output, in UTF-8
// (the jobs run from the command line show their progress that way).
void EchoLogToStandardOutput(bool on);
