#include "game/WeatherPack.h"

#include "app/FileProbes.h"
#include "settings/Settings.h"

// Any entry at the marker's place counts, a folder too; asked afresh every call
// so that installing or removing the add-on shows at once.
bool IsWeatherPackInstalled() { return IsWeatherPackInstalled(Settings::Instance().TSPath); }

bool IsWeatherPackInstalled(const std::u16string& gamePath) {
    return PathExists(gamePath + u"\\Assets\\AP\\WeatherEP\\TrackMarkers\\Weather\\weather.bin");
}
