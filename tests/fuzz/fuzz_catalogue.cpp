// The localization catalogue from any bytes: loading never faults, and every
// lookup keeps the language rules (english stands in for an empty french or
// german text, an unknown language gives nothing).
#include <cstdint>

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "settings/Localization.h"
#include "settings/Settings.h"
#include "tests/fuzz/FuzzScratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool folderMade = CreateDirectories(FuzzScratch() + u"Data");
    if (!folderMade || !WriteFileBytes(FuzzScratch() + u"Data/Localization.xml", FuzzInput(data, size))) std::abort();
    Localization::Load();
    const auto text = [](uint32_t language, const char* key) {
        Settings::Instance().Language = language;
        return Localization::Text(key);
    };
    for (const char* key : {"file", "close", "about", "ssao", "ssao_help", "launcher", "a", ""}) {
        if (!text(0, key).empty() && (text(1, key).empty() || text(2, key).empty())) std::abort();
        if (!text(3, key).empty()) std::abort();
    }
    return 0;
}
