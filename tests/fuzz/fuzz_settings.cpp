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

namespace {
#ifdef FUZZ_PRESETS
const std::u16string& Target() {
    static const std::u16string preset = FuzzScratch() + u"preset.xml";
    return preset;
}
const std::u16string& LoadPath() { return Target(); }
#else
const std::u16string& Target() {
    FuzzScratch();
    return AppPaths.settingsFile;
}
const std::u16string& LoadPath() {
    static const std::u16string settingsFile;  // empty: the settings file
    return settingsFile;
}
#endif

std::string SavedFrom(const Settings& settings) {
    settings.Save(LoadPath());
    std::string text;
    if (!ReadFileBytes(Target(), text)) std::abort();
    return text;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteFileBytes(Target(), FuzzInput(data, size))) std::abort();
    Settings loaded;
    loaded.Load(LoadPath());
    const std::string first = SavedFrom(loaded);
    Settings reloaded;
    reloaded.Load(LoadPath());
    if (SavedFrom(reloaded) != first) std::abort();  // a value changed on its way through the file
    return 0;
}
