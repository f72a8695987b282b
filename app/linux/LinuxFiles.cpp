// Files on Linux: stdio on UTF-8 paths, fsync, permission bits, rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/FileHandles.h"
#include "app/FileProbes.h"
#include "app/Platform.h"
#include "app/Text.h"

namespace fs = std::filesystem;

fs::path FsPath(const std::u16string& path) {
    std::u16string unix = path;
    for (auto& c : unix) {
        if (c == u'\\') c = u'/';
    }
    return fs::path(WideToUtf8(unix));
}

std::u16string ProgramPath(const fs::path& path) { return Utf8ToWide(path.native()); }

FILE* OpenFileHandle(const fs::path& path, const char* mode) { return std::fopen(path.c_str(), mode); }

FILE* CreateNewFileHandle(const fs::path& path) {
    const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    FILE* file = fdopen(fd, "wb");
    if (!file) close(fd);
    return file;
}

bool FlushToDisk(FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

bool IsRegularFileHandle(FILE* file) {
    struct stat info;
    return fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
}

std::error_code LastCError() { return std::error_code(errno, std::generic_category()); }

bool IsWriteProtected(const fs::path& file, const fs::file_status& status) {
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return true;
    return access(file.c_str(), W_OK) != 0 && (errno == EACCES || errno == EPERM || errno == EROFS);
}

void KeepPermissions(FILE* file, const fs::file_status& old) {
    fchmod(fileno(file), static_cast<mode_t>(old.permissions() & fs::perms::mask));
}

std::error_code ReplaceFileWith(const fs::path& temporary, const fs::path& target) {
    if (std::rename(temporary.c_str(), target.c_str()) != 0) return LastCError();
    // The rename is done; flushing the folder only makes it survive a power
    // cut, so a folder that cannot be flushed does not fail the save.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    return {};
}

// ---- the platform's rules for names

std::u16string PathCaseKey(const std::u16string& path) { return path; }

bool SamePath(const std::u16string& a, const std::u16string& b) { return a == b; }

long PlatformProcessNumber() { return static_cast<long>(getpid()); }

const char* PlatformLineEnd() { return "\n"; }
