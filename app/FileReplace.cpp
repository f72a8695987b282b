// Replacing a file through a temporary beside it: the settings file, presets
// and backups are saved this way.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "app/FileHandles.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"

namespace fs = std::filesystem;

namespace {

// Temporaries are named ".<target name>.<process>-<serial>.vantrel-tmp", so
// that a later start can tell its own leftovers from anything else.
const char kTemporarySuffix[] = ".vantrel-tmp";

bool SaveFailed(const std::u16string& path, const std::string& cause) {
    Log(u"ERROR: Can't save " + path + u": " + Utf8ToWide(cause));
    return false;
}

// Follows a chain of symbolic links to the file that really holds the data
// (which need not exist yet).
std::error_code ResolveLinks(fs::path path, fs::path& resolved) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) {
            resolved = path;
            return {};
        }
        const fs::path link = fs::read_symlink(path, ec);
        if (ec) return ec;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

fs::path::string_type TemporaryPrefix(const fs::path& target) {
    return fs::path(".").concat(target.filename().native()).concat(".").native();
}

long ProcessNumber() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<long>(getpid());
#endif
}

// Creates a temporary that no other save (of this or another process) uses.
FILE* CreateTemporaryBeside(const fs::path& target, fs::path& temporary) {
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string unique = std::to_string(ProcessNumber()) + "-" + std::to_string(++serial);
        temporary = target.parent_path() / fs::path(TemporaryPrefix(target)).concat(unique + kTemporarySuffix);
        if (FILE* file = CreateNewFileHandle(temporary)) return file;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

bool IsReadOnly(const fs::path& target, const fs::file_status& status) {
    // The mode is looked at too: an administrator may write any file, but a
    // file the user made read-only is not to be replaced behind their back.
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return true;
#ifdef _WIN32
    (void)target;
#else
    if (access(target.c_str(), W_OK) != 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) return true;
#endif
    return false;
}

// Gives the new file the permissions of the one it replaces.
void KeepMode(FILE* file, const fs::file_status& old) {
#ifdef _WIN32
    (void)file;
    (void)old;
#else
    fchmod(fileno(file), static_cast<mode_t>(old.permissions() & fs::perms::mask));
#endif
}

// Renames over the target and makes the rename itself durable.
std::error_code ReplaceWith(const fs::path& temporary, const fs::path& target) {
#ifdef _WIN32
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return std::error_code(static_cast<int>(GetLastError()), std::system_category());
    }
#else
    if (std::rename(temporary.c_str(), target.c_str()) != 0) return LastCError();
    // The rename is done; flushing the folder only makes it survive a power
    // cut, so a folder that cannot be flushed does not fail the save.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#endif
    return {};
}

bool IsTemporaryOf(const fs::path::string_type& name, const fs::path::string_type& prefix) {
    const fs::path::string_type suffix = fs::path(kTemporarySuffix).native();
    return name.size() > prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void RemoveIfRegularFile(const fs::path& path) {
    std::error_code ec;
    if (fs::is_regular_file(fs::symlink_status(path, ec))) fs::remove(path, ec);
}

}  // namespace

bool WriteFileReplacingSafely(const std::u16string& path, const std::string& bytes) {
    fs::path target;
    std::error_code ec = ResolveLinks(FsPath(path), target);
    if (ec) return SaveFailed(path, ec.message());
    const fs::file_status old = fs::status(target, ec);
    const bool replacing = fs::exists(old);
    if (ec && old.type() != fs::file_type::not_found) return SaveFailed(path, ec.message());
    if (fs::is_directory(old)) return SaveFailed(path, std::make_error_code(std::errc::is_a_directory).message());
    if (replacing && !fs::is_regular_file(old)) return SaveFailed(path, "not a regular file");
    if (replacing && IsReadOnly(target, old)) return SaveFailed(path, "the file is read-only");

    fs::path temporary;
    FILE* file = CreateTemporaryBeside(target, temporary);
    if (!file) return SaveFailed(path, LastCError().message());
    if (replacing) KeepMode(file, old);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = FlushToDisk(file) && ok;
    std::error_code cause = ok ? std::error_code() : LastCError();
    ok = std::fclose(file) == 0 && ok;
    if (ok) {
        cause = ReplaceWith(temporary, target);
        ok = !cause;
    } else if (!cause) {
        cause = LastCError();
    }
    if (!ok) {
        fs::remove(temporary, ec);
        return SaveFailed(path, cause.message());
    }
    return true;
}

void RemoveInterruptedSaves(const std::u16string& path) {
    const fs::path file = FsPath(path);
    RemoveIfRegularFile(fs::path(file).concat(".new"));
    fs::path target;
    if (ResolveLinks(file, target)) return;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const fs::path::string_type prefix = TemporaryPrefix(target);
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        if (IsTemporaryOf(it->path().filename().native(), prefix)) RemoveIfRegularFile(it->path());
    }
}
