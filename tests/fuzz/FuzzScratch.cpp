#include "tests/fuzz/FuzzScratch.h"

#include <cstdlib>
#include <filesystem>

#include "app/AppPaths.h"
#include "app/Text.h"

namespace fs = std::filesystem;

namespace {
std::string& ScratchPath() {
    static std::string path;
    return path;
}

void RemoveScratch() {
    std::error_code ec;
    fs::remove_all(ScratchPath(), ec);
}

std::u16string MakeScratch() {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path(ec);
    std::string pattern = (base / "vantrel-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    ScratchPath() = pattern;
    std::atexit(RemoveScratch);
    const std::u16string folder = Utf8ToWide(pattern) + u"/";
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

std::string FuzzInput(const unsigned char* data, unsigned long size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}
