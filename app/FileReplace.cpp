// Replacing a file through a temporary beside it: the settings file, presets,
// the game files the program writes and their backups are saved this way.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/FileHandles.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/FileFailure.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"

namespace fs = std::filesystem;

namespace {

// Temporaries are named ".<target name>.<process>-<serial>.vantrel-tmp", so
// that a later start can tell its own leftovers from anything else.
const char kTemporarySuffix[] = ".vantrel-tmp";

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

// Creates a temporary that no other save (of this or another process) uses.
FILE* CreateTemporaryBeside(const fs::path& target, fs::path& temporary) {
    static std::atomic<unsigned> serial{0};  // the install's worker saves beside the main thread
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string unique = std::to_string(PlatformProcessNumber()) + "-" + std::to_string(++serial);
        temporary = target.parent_path() / fs::path(TemporaryPrefix(target)).concat(unique + kTemporarySuffix);
        if (FILE* file = CreateNewFileHandle(temporary)) return file;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

bool IsTemporaryOf(const fs::path::string_type& name, const fs::path::string_type& prefix) {
    const fs::path::string_type suffix = fs::path(kTemporarySuffix).native();
    return name.size() > prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// True when nothing is left there (only regular files are removed).
bool RemoveIfRegularFile(const fs::path& path, std::error_code& ec) {
    ec.clear();
    if (!fs::is_regular_file(fs::symlink_status(path, ec))) return !ec || ec == std::errc::no_such_file_or_directory;
    return fs::remove(path, ec) || !ec;
}

void RemoveIfRegularFile(const fs::path& path) {
    std::error_code ec;
    RemoveIfRegularFile(path, ec);
}

}  // namespace

bool WriteFileReplacingSafely(const std::u16string& path, const std::string& bytes, std::error_code* cause) {
    const FileFailure failed{"save", path, cause};
    fs::path target;
    std::error_code ec = ResolveLinks(FsPath(path), target);
    if (ec) return failed(ec);
    const fs::file_status old = fs::status(target, ec);
    const bool replacing = fs::exists(old);
    if (ec && old.type() != fs::file_type::not_found) return failed(ec);
    if (fs::is_directory(old)) return failed(std::make_error_code(std::errc::is_a_directory));
    if (replacing && !fs::is_regular_file(old)) {
        return failed(std::make_error_code(std::errc::invalid_argument), "not a regular file");
    }
    if (replacing && IsWriteProtected(target, old)) {
        return failed(std::make_error_code(std::errc::permission_denied), "the file is read-only");
    }

    fs::path temporary;
    FILE* file = CreateTemporaryBeside(target, temporary);
    if (!file) return failed(LastCError());
    if (replacing) KeepPermissions(file, old);
    // The first failure's cause is the one reported; the file is closed either way.
    std::error_code why;
    const auto step = [&why](bool done) {
        if (!done && !why) why = LastCError();
        if (!done && !why) why = std::make_error_code(std::errc::io_error);
        return done;
    };
    bool ok = step(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    ok = step(FlushToDisk(file)) && ok;
    ok = step(std::fclose(file) == 0) && ok;
    if (ok) {
        why = ReplaceFileWith(temporary, target);
        ok = !why;
    }
    if (!ok) {
        fs::remove(temporary, ec);
        return failed(why);
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

bool RemoveInterruptedSavesIn(const std::u16string& folder, std::error_code* cause) {
    const fs::path::string_type suffix = fs::path(kTemporarySuffix).native();
    const fs::path::string_type dot = fs::path(".").native();
    bool allGone = true;
    std::error_code ec;
    fs::directory_iterator it(FsPath(folder), ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        const fs::path::string_type name = it->path().filename().native();
        if (!IsTemporaryOf(name, dot)) continue;
        std::error_code removal;
        if (RemoveIfRegularFile(it->path(), removal)) {
            Log(u"Removed the leftover of an interrupted save: " + ProgramPath(it->path()));
        } else if (allGone) {
            allGone = false;
            if (cause) *cause = removal;
            Log(u"ERROR: Can't remove the leftover of an interrupted save " + ProgramPath(it->path()) + u": " +
                Utf8ToWide(removal.message()));
        }
    }
    // A folder that is not there holds no leftovers.
    if (ec && ec != std::errc::no_such_file_or_directory) {
        if (allGone && cause) *cause = ec;
        return false;
    }
    return allGone;
}
