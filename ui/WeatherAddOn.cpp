#include "ui/WeatherAddOn.h"

#include <string>

#include "game/WeatherPack.h"
#include "settings/Settings.h"

namespace {
struct Answer {
    bool known = false;
    bool installed = false;
    std::u16string folder;  // the game folder it is about
};

Answer& Cached() {
    static Answer answer;
    return answer;
}
}  // namespace

bool WeatherAddOnShown() {
    Answer& answer = Cached();
    const std::u16string& folder = Settings::Instance().TSPath;
    if (!answer.known || answer.folder != folder) {
        answer.installed = IsWeatherPackInstalled(folder);
        answer.folder = folder;
        answer.known = true;
    }
    return answer.installed;
}

void RecheckWeatherAddOn() { Cached().known = false; }
