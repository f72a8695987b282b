#include "app/FileIo.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/FileHandles.h"
#include "app/FileProbes.h"
#include "app/FileFailure.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"

namespace fs = std::filesystem;

namespace {
const char kNotRegular[] = "not a regular file";

}  // namespace

bool ReadFileBytes(const std::u16string& path, std::string& bytes, std::size_t maxBytes, std::error_code* cause) {
    bytes.clear();
    const FileFailure failed{"read", path, cause};
    const fs::path file = FsPath(path);
    // The type is checked before opening: a folder opens fine on Linux and a
    // pipe would block the program.
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found) {
        if (cause) *cause = std::make_error_code(std::errc::no_such_file_or_directory);
        return false;
    }
    if (ec) return failed(ec);
    if (fs::is_directory(status)) return failed(std::make_error_code(std::errc::is_a_directory));
    if (!fs::is_regular_file(status)) return failed(std::make_error_code(std::errc::invalid_argument), kNotRegular);

    FILE* in = OpenFileHandle(file, "rb");
    if (!in) return failed(LastCError());
    bool ok = IsRegularFileHandle(in);  // it may have been swapped since the check
    if (!ok) failed(std::make_error_code(std::errc::invalid_argument), kNotRegular);
    char buffer[65536];
    while (ok) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, in);
        if (got > maxBytes - bytes.size()) {
            ok = failed(std::make_error_code(std::errc::file_too_large));
        } else {
            bytes.append(buffer, got);
        }
        if (got < sizeof buffer) {
            if (std::ferror(in)) ok = failed(LastCError());
            break;
        }
    }
    std::fclose(in);
    if (!ok) bytes.clear();
    return ok;
}

bool WriteFileBytes(const std::u16string& path, const std::string& bytes) {
    FILE* file = OpenFileHandle(FsPath(path), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

std::string WithCrLf(const std::string& text) {
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') crlf.push_back('\r');
        crlf.push_back(c);
    }
    return crlf;
}

bool WriteTextFileCrLf(const std::u16string& path, const std::string& text) {
    return WriteFileBytes(path, WithCrLf(text));
}

bool CopyFileReplacing(const std::u16string& from, const std::u16string& to) {
    std::error_code ec;
    fs::copy_file(FsPath(from), FsPath(to), fs::copy_options::overwrite_existing, ec);
    return !ec;
}

bool MoveFileReplacing(const std::u16string& from, const std::u16string& to) {
    std::error_code ec;
    fs::rename(FsPath(from), FsPath(to), ec);
    if (!ec) return true;
    if (!CopyFileReplacing(from, to)) return false;
    fs::remove(FsPath(from), ec);
    return true;
}

bool ListDirectory(const std::u16string& folder, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    std::error_code ec;
    fs::directory_iterator it(FsPath(folder), ec);
    if (ec) return false;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) return false;
        DirectoryEntry entry;
        entry.name = ProgramPath(it->path().filename());
        if (entry.name.empty()) continue;
        std::error_code typeError;
        entry.isDirectory = fs::is_directory(it->path(), typeError);  // follows links
        entries.push_back(entry);
    }
    return !ec;
}

FileErrorKind ClassifyErrno(int value) {
    switch (value) {
        case 0:
            return FileErrorKind::None;
        case EBUSY:
#ifdef ETXTBSY
        case ETXTBSY:
#endif
            return FileErrorKind::Busy;
        case EACCES:
        case EPERM:
        case EROFS:
            return FileErrorKind::ReadOnly;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return FileErrorKind::NoSpace;
        default:
            return FileErrorKind::Other;
    }
}

bool ResolvesInsideFolder(const std::u16string& path, const std::u16string& folder) {
    fs::path resolvedPath, resolvedFolder;
    if (!ResolveLinksOf(FsPath(path), resolvedPath) || !ResolveLinksOf(FsPath(folder), resolvedFolder)) return false;
    std::u16string inner = PathCaseKey(ProgramPath(resolvedPath.lexically_normal()));
    std::u16string outer = PathCaseKey(ProgramPath(resolvedFolder.lexically_normal()));
    while (outer.size() > 1 && (outer.back() == u'/' || outer.back() == u'\\')) outer.pop_back();
    while (inner.size() > 1 && (inner.back() == u'/' || inner.back() == u'\\')) inner.pop_back();
    if (outer.empty() || inner.compare(0, outer.size(), outer) != 0) return false;
    if (inner.size() == outer.size()) return true;
    const char16_t next = inner[outer.size()];
    return next == u'/' || next == u'\\' || outer.back() == u'/' || outer.back() == u'\\';
}
