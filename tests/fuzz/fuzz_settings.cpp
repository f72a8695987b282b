// The settings file and a preset file from any bytes: loading never faults,
// and what is saved from the loaded record reads back to the very same file.
#include <cstdint>

#include "app/FileIo.h"
#include "settings/Settings.h"
#include "tests/fuzz/FuzzScratch.h"

namespace {
// The input as the file at path, loaded as the settings file (loadPath "") or as a preset.
void CheckRoundTrip(const std::string& input, const std::u16string& path, const std::u16string& loadPath) {
    const auto savedFrom = [&](const Settings& settings) {
        settings.Save(loadPath);
        std::string text;
        if (!ReadFileBytes(path, text)) std::abort();
        return text;
    };
    if (!WriteFileBytes(path, input)) std::abort();
    Settings loaded;
    loaded.Load(loadPath);
    const std::string first = savedFrom(loaded);
    Settings reloaded;
    reloaded.Load(loadPath);
    if (savedFrom(reloaded) != first) std::abort();  // a value changed on its way through the file
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::u16string preset = FuzzScratch() + u"preset.xml";
    CheckRoundTrip(FuzzInput(data, size), AppPaths.settingsFile, u"");
    CheckRoundTrip(FuzzInput(data, size), preset, preset);
    return 0;
}
