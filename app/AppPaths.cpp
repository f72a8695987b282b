#include "app/AppPaths.h"

#include "app/FileProbes.h"
#include "app/Text.h"

AppPathSet AppPaths;

const std::u16string APP_VERSION = u"1.04";

void SetAppPaths(const std::u16string& preferenceFolder, const std::u16string& programFolder) {
    AppPaths.preferenceFolder = preferenceFolder;
    AppPaths.programFolder = programFolder;
    AppPaths.settingsFile = preferenceFolder + u"settings.xml";
    AppPaths.workFolder = programFolder + u"temp\\";
}

std::string DataFilePath(const char* relative) {
    if (PathExists(Utf8ToWide(relative))) return relative;
    // Started from another folder (a Linux terminal, a shortcut): the data
    // beside the program.
    const std::string besideProgram = WideToUtf8(AppPaths.programFolder) + relative;
    return PathExists(Utf8ToWide(besideProgram)) ? besideProgram : relative;
}
