#include "ui/GameFolderFacts.h"

#include <string>

#include "game/WeatherPack.h"
#include "settings/Settings.h"

namespace {
struct Facts {
    bool known = false;
    std::u16string folder;  // the game folder they are about
    bool weatherAddOn = false;
    InstalledState installed;
};

Facts& Stored() {
    static Facts facts;
    return facts;
}

const Facts& Current() {
    Facts& facts = Stored();
    const std::u16string& folder = Settings::Instance().TSPath;
    if (!facts.known || facts.folder != folder) {
        facts.weatherAddOn = IsWeatherPackInstalled(folder);
        facts.installed = ReadInstalledState(folder);
        facts.folder = folder;
        facts.known = true;
    }
    return facts;
}
}  // namespace

bool WeatherAddOnShown() { return Current().weatherAddOn; }

InstalledState InstalledShown() { return Current().installed; }

void RecheckGameFolder() { Stored().known = false; }
