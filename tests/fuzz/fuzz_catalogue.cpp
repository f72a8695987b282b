// The localization catalogue from any bytes: loading never faults, and every
// lookup keeps the language rules (english stands in for an empty french or
// german text, an unknown language gives nothing).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "settings/Localization.h"
#include "settings/Settings.h"
#include "tests/fuzz/FuzzScratch.h"

namespace {
const char* const kKeys[] = {"file", "close", "about", "ssao", "ssao_help", "launcher", "a", ""};

std::string TextIn(uint32_t language, const char* key) {
    Settings::Instance().Language = language;
    return Localization::Text(key);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::u16string catalogue = FuzzScratch() + u"Data/Localization.xml";
    static const bool folderMade = !CreateDirectories(FuzzScratch() + u"Data");
    if (!folderMade || !WriteFileBytes(catalogue, FuzzInput(data, size))) std::abort();
    Localization::Load();
    for (const char* key : kKeys) {
        const std::string english = TextIn(0, key);
        if (!english.empty() && (TextIn(1, key).empty() || TextIn(2, key).empty())) std::abort();
        if (!TextIn(3, key).empty()) std::abort();
    }
    return 0;
}
