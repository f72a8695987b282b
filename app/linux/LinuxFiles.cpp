// Files on Linux: stdio on UTF-8 paths, fsync, permission bits, rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <deque>

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

// errno values, whichever category carries them.
FileErrorKind ClassifyFileError(const std::error_code& error) {
    return error ? ClassifyErrno(error.value()) : FileErrorKind::None;
}

bool IsLink(const fs::path& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// Component by component, as the kernel walks it, so that a link whose target
// is still missing is followed too (a write through it would create that target).
bool ResolveLinksOf(const fs::path& path, fs::path& resolved) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    if (ec) return false;
    const fs::path relative = absolute.relative_path();
    std::deque<fs::path> rest(relative.begin(), relative.end());
    fs::path done = absolute.root_path();
    for (int links = 0; !rest.empty();) {
        const fs::path part = rest.front();
        rest.pop_front();
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            done = done.parent_path();
            continue;
        }
        const fs::path next = done / part;
        if (!fs::is_symlink(fs::symlink_status(next, ec))) {
            done = next;
            continue;
        }
        const fs::path target = fs::read_symlink(next, ec);
        if (ec || ++links > 40) return false;
        if (target.is_absolute()) done = target.root_path();
        const fs::path inner = target.relative_path();
        rest.insert(rest.begin(), inner.begin(), inner.end());
    }
    resolved = done;
    return true;
}

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
