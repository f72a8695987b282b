#pragma once
// The four folders and files fixed at start-up, and the program's version text.
#include <string>

struct AppPathSet {
    std::u16string preferenceFolder;  // ends with a separator
    std::u16string programFolder;     // ends with a separator
    std::u16string settingsFile;      // preferenceFolder + "settings.xml"
    std::u16string workFolder;        // programFolder + "temp\"
};

// Filled once by the entry routine (tests fill it with their own folders).
extern AppPathSet AppPaths;

// Sets both folders and derives the settings file and work folder by plain
// concatenation.
void SetAppPaths(const std::u16string& preferenceFolder, const std::u16string& programFolder);

extern const std::u16string APP_VERSION;  // "1.04"

// A data file path ("Data/..."): as given when it exists in the current
// folder, else the one beside the program.
std::string DataFilePath(const char* relative);
