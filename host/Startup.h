#pragma once
// The entry routine's steps, split so that the parts that need no window can
// be run by the tests and the command-line jobs.
#include <string>
#include <vector>

#include "settings/Settings.h"

// Steps 1-6: paths, folders, fresh log. Returns false when the preference
// folder cannot be made, after telling the user (PlatformReportFatalError).
bool StartUpFolders();
// Steps 1-7: the folders, then the timer. Returns false when either fails,
// after logging what can be logged and telling the user.
bool StartUpPaths();
// Step 9: settings start state from the registry or Steam.
void StartUpDiscoverGame();
// Steps 11-12: version line, then load (and repair) or create the settings
// file; what the load found, for the window to tell of an unreadable file.
SettingsFileLoad StartUpLoadSettings();
// The whole entry routine (host/EntryRoutine.cpp, linked into the program
// only) for the arguments after the program's name: without any, the window;
// with some, the job they name (host/CommandLineJobs.h). Returns the process
// exit code.
int RunVantrel(const std::vector<std::u16string>& arguments);
