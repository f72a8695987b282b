#pragma once
// The fuzzing harnesses' shared set-up: one scratch folder per process (in
// memory where /dev/shm exists), removed at exit, and the program's paths
// pointed into it with the log switched off.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/AppPaths.h"
#include "app/Text.h"

inline std::string g_fuzzScratch;

// The scratch folder, ending with '/'.
inline const std::u16string& FuzzScratch() {
    static const std::u16string folder = [] {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path(ec);
        g_fuzzScratch = (base / "vantrel-fuzz-XXXXXX").string();
        if (!mkdtemp(g_fuzzScratch.data())) std::abort();
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(g_fuzzScratch, ignored);
        });
        // An empty preference folder keeps the log off: millions of runs would fill it.
        SetAppPaths(u"", Utf8ToWide(g_fuzzScratch) + u"/");
        AppPaths.settingsFile = AppPaths.programFolder + u"settings.xml";
        return AppPaths.programFolder;
    }();
    return folder;
}

// The fuzzer's input as a byte string.
inline std::string FuzzInput(const unsigned char* data, unsigned long size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}
