#include "app/AppPaths.h"

AppPathSet AppPaths;

const std::u16string APP_VERSION = u"1.04";

void SetAppPaths(const std::u16string& preferenceFolder, const std::u16string& programFolder) {
    AppPaths.preferenceFolder = preferenceFolder;
    AppPaths.programFolder = programFolder;
    AppPaths.settingsFile = preferenceFolder + u"settings.xml";
    AppPaths.workFolder = programFolder + u"temp\\";
}
