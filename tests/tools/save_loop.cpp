// Saves the settings file again and again until it is killed: a program that
// dies at a random point of a save. Usage: save_loop <preference folder>
#include <string>

#include "app/AppPaths.h"
#include "app/Text.h"
#include "settings/Settings.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    SetAppPaths(Utf8ToWide(argv[1]), Utf8ToWide(argv[1]));
    Settings settings;
    settings.TSPath = Utf8ToWide(std::string(8000, 'p'));  // a file of a few pages
    for (unsigned run = 1;; ++run) {
        settings.ShadersVersion = Utf8ToWide(std::to_string(run));
        settings.SaveSettingsFile();
    }
}
