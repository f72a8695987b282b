#include "app/Log.h"

#include <cstdio>
#include <mutex>

#include "app/AppPaths.h"
#include "app/FileHandles.h"
#include "app/FileProbes.h"
#include "app/Platform.h"
#include "app/Text.h"

namespace {
std::u16string LogPath() { return AppPaths.preferenceFolder + u"log.txt"; }

// The install's threads log too: one entry is written whole before the next.
std::mutex& LogWriting() {
    static std::mutex lock;
    return lock;
}
}  // namespace

std::u16string LogFilePath() { return LogPath(); }

void Log(std::string message) { Log(Utf8ToWide(std::move(message))); }

void Log(std::u16string message) {
    if (AppPaths.preferenceFolder.empty()) return;
    // One byte per character (ISO 8859-1); what does not fit becomes '?', and
    // a surrogate pair is one character, so later entries stay aligned.
    std::string bytes;
    bytes.reserve(message.size() + 2);
    for (size_t i = 0; i < message.size(); ++i) {
        char16_t c = message[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < message.size() && message[i + 1] >= 0xDC00 &&
            message[i + 1] <= 0xDFFF) {
            ++i;
            bytes.push_back('?');
        } else if (c > 0xFF) {
            bytes.push_back('?');
        } else if (c == u'\n') {
            bytes += PlatformLineEnd();
        } else {
            bytes.push_back(static_cast<char>(c));
        }
    }
    std::lock_guard<std::mutex> lock(LogWriting());
    bytes += PlatformLineEnd();
    FILE* file = OpenFileHandle(FsPath(LogPath()), "ab");
    if (!file) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fflush(file);
    std::fclose(file);
}

void ClearLog() { RemoveFileIfExists(LogPath()); }
