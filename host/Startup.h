#pragma once
// The entry routine's steps, split so that the parts that need no window can
// be run by the tests.

// Steps 1-7: paths, folders, fresh log, timer. Returns false when the
// preference folder cannot be made or the timer cannot start, after logging
// what can be logged and telling the user (PlatformReportFatalError).
bool StartUpPaths();
// Step 9: settings start state from the registry or Steam.
void StartUpDiscoverGame();
// Steps 11-12: version line, then load (and repair) or create the settings file.
void StartUpLoadSettings();
// The whole entry routine (host/EntryRoutine.cpp, linked into the program
// only): returns the process exit code.
int RunVantrel();
