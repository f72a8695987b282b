// Files on Windows: stdio on wide paths, _commit, the read-only attribute,
// MoveFileExW.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <cerrno>

#include "app/FileHandles.h"
#include "app/FileProbes.h"
#include "app/Platform.h"

namespace fs = std::filesystem;

fs::path FsPath(const std::u16string& path) { return fs::path(std::wstring(path.begin(), path.end())); }

std::u16string ProgramPath(const fs::path& path) {
    const std::wstring& native = path.native();
    return std::u16string(native.begin(), native.end());
}

FILE* OpenFileHandle(const fs::path& path, const char* mode) {
    const std::wstring wmode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wmode.c_str());
}

FILE* CreateNewFileHandle(const fs::path& path) {
    const int fd = _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    FILE* file = _fdopen(fd, "wb");
    if (!file) _close(fd);
    return file;
}

bool FlushToDisk(FILE* file) { return std::fflush(file) == 0 && _commit(_fileno(file)) == 0; }

bool IsRegularFileHandle(FILE* file) {
    struct _stat64 info;
    return _fstat64(_fileno(file), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
}

std::error_code LastCError() { return std::error_code(errno, std::generic_category()); }

// The read-only attribute shows as a missing owner write bit.
bool IsWriteProtected(const fs::path&, const fs::file_status& status) {
    return (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

void KeepPermissions(FILE*, const fs::file_status&) {}

std::error_code ReplaceFileWith(const fs::path& temporary, const fs::path& target) {
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return std::error_code(static_cast<int>(GetLastError()), std::system_category());
    }
    return {};
}

// ---- the platform's rules for names

// The file system ignores the letter case of ASCII letters in names.
std::u16string PathCaseKey(const std::u16string& path) {
    std::u16string key = path;
    for (auto& c : key) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return key;
}

bool SamePath(const std::u16string& a, const std::u16string& b) { return PathCaseKey(a) == PathCaseKey(b); }

long PlatformProcessNumber() { return _getpid(); }

const char* PlatformLineEnd() { return "\r\n"; }
