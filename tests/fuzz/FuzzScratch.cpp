#include "tests/fuzz/FuzzScratch.h"

#include <cstdlib>
#include <filesystem>

#include "app/AppPaths.h"
#include "app/Text.h"

namespace fs = std::filesystem;

namespace {
std::string g_scratch;

std::u16string MakeScratch() {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path(ec);
    g_scratch = (base / "vantrel-fuzz-XXXXXX").string();
    if (!mkdtemp(g_scratch.data())) std::abort();
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(g_scratch, ignored);
    });
    const std::u16string folder = Utf8ToWide(g_scratch) + u"/";
    // An empty preference folder keeps the log off: millions of runs would fill it.
    SetAppPaths(u"", folder);
    AppPaths.settingsFile = folder + u"settings.xml";
    return folder;
}
}  // namespace

const std::u16string& FuzzScratch() {
    static const std::u16string folder = MakeScratch();
    return folder;
}
