// The settings file and a preset file from any bytes: loading never faults,
// a settings file it cannot read is kept byte for byte before anything
// replaces it, a refused preset changes nothing, and what is saved from the
// loaded record reads back to the very same file.
#include <cstdint>

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "settings/Settings.h"
#include "tests/fuzz/FuzzScratch.h"

namespace {
// The input as the file at path, loaded as the settings file or as a preset.
void CheckRoundTrip(const std::string& input, const std::u16string& path, bool preset) {
    const auto load = [&](Settings& settings) {
        if (preset) {
            const Settings before = settings;
            if (settings.LoadPreset(path) != PresetProblem::None && !(settings == before)) std::abort();
            return;
        }
        const SettingsFileLoad found = settings.LoadSettingsFile();
        if (!found.unreadable) return;
        std::string kept;
        if (found.keptAs.empty() || !ReadFileBytes(found.keptAs, kept) || kept != input) std::abort();
        RemoveFileIfExists(found.keptAs);
    };
    const auto savedFrom = [&](const Settings& settings) {
        if (preset) {
            settings.SavePreset(path);
        } else {
            settings.SaveSettingsFile();
        }
        std::string text;
        if (!ReadFileBytes(path, text)) std::abort();
        return text;
    };
    if (!WriteFileBytes(path, input)) std::abort();
    Settings loaded;
    load(loaded);
    const std::string first = savedFrom(loaded);
    Settings reloaded;
    load(reloaded);
    if (savedFrom(reloaded) != first) std::abort();  // a value changed on its way through the file
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::u16string preset = FuzzScratch() + u"preset.xml";
    CheckRoundTrip(FuzzInput(data, size), AppPaths.settingsFile, false);
    CheckRoundTrip(FuzzInput(data, size), preset, true);
    return 0;
}
