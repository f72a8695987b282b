// The settings file (or, built with FUZZ_PRESETS, a preset file) from any
// bytes: loading never faults, and what is saved from the loaded record reads
// back to the very same file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "settings/Settings.h"
#include "tests/fuzz/FuzzScratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#ifdef FUZZ_PRESETS
    static const std::u16string loadPath = FuzzScratch() + u"preset.xml", file = loadPath;
#else
    // An empty path loads and saves the settings file; FuzzScratch() points it into the scratch folder.
    static const std::u16string loadPath, file = (FuzzScratch(), AppPaths.settingsFile);
#endif
    const auto savedFrom = [&](const Settings& settings) {
        settings.Save(loadPath);
        std::string text;
        if (!ReadFileBytes(file, text)) std::abort();
        return text;
    };
    if (!WriteFileBytes(file, FuzzInput(data, size))) std::abort();
    Settings loaded;
    loaded.Load(loadPath);
    const std::string first = savedFrom(loaded);
    Settings reloaded;
    reloaded.Load(loadPath);
    if (savedFrom(reloaded) != first) std::abort();  // a value changed on its way through the file
    return 0;
}
