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

// The C runtime reports a file another program holds open as EACCES, the
// same as a denied access; its underlying Windows code tells them apart.
std::error_code LastCError() {
    const int cause = errno;
    const unsigned long system = _doserrno;
    if (cause == EACCES && (system == ERROR_SHARING_VIOLATION || system == ERROR_LOCK_VIOLATION)) {
        return std::error_code(static_cast<int>(system), std::system_category());
    }
    return std::error_code(cause, std::generic_category());
}

FileErrorKind ClassifyFileError(const std::error_code& error) {
    if (!error) return FileErrorKind::None;
    if (error.category() == std::system_category()) {
        switch (static_cast<DWORD>(error.value())) {
            case ERROR_SHARING_VIOLATION:
            case ERROR_LOCK_VIOLATION:
            case ERROR_USER_MAPPED_FILE:
                return FileErrorKind::Busy;
            case ERROR_ACCESS_DENIED:
            case ERROR_WRITE_PROTECT:
                return FileErrorKind::ReadOnly;
            case ERROR_DISK_FULL:
            case ERROR_HANDLE_DISK_FULL:
                return FileErrorKind::NoSpace;
            default:
                return FileErrorKind::Other;
        }
    }
    return ClassifyErrno(error.value());
}

bool IsLink(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

namespace {
// The final path of something that exists, links and junctions followed,
// without the "\\?\" prefix; empty when it cannot be opened.
std::wstring FinalPath(const std::wstring& path) {
    const HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::wstring();
    std::wstring final(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
    if (length >= final.size()) {
        final.resize(length + 1);
        length = GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
    }
    CloseHandle(handle);
    if (length == 0 || length >= final.size()) return std::wstring();
    final.resize(length);
    if (final.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        std::wstring share = L"\\\\";  // appended: mingw's GCC 12 warns falsely on a literal + string
        share += final.substr(8);
        return share;
    }
    if (final.rfind(L"\\\\?\\", 0) == 0) return final.substr(4);
    return final;
}
}  // namespace

// The longest part of the path that exists is opened and asked for its final
// name; a link or junction there that cannot be opened (its target missing)
// cannot be resolved, since a write would go wherever it points.
bool ResolveLinksOf(const fs::path& path, fs::path& resolved) {
    std::error_code ec;
    fs::path existing = fs::absolute(path, ec);
    if (ec) return false;
    fs::path rest;
    for (;;) {
        const DWORD attributes = GetFileAttributesW(existing.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            const std::wstring final = FinalPath(existing.native());
            if (final.empty()) return false;
            resolved = rest.empty() ? fs::path(final) : fs::path(final) / rest;
            return true;
        }
        if (!existing.has_relative_path()) return false;
        rest = rest.empty() ? existing.filename() : existing.filename() / rest;
        existing = existing.parent_path();
    }
}

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
