#include "app/FileIo.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/FileHandles.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"

namespace fs = std::filesystem;

namespace {
bool ReadFailed(const std::u16string& path, const std::error_code& cause) {
    Log(u"ERROR: Can't read " + path + u": " + Utf8ToWide(cause.message()));
    return false;
}

bool ReadFailed(const std::u16string& path, const char* cause) {
    Log(u"ERROR: Can't read " + path + u": " + Utf8ToWide(cause));
    return false;
}

}  // namespace

bool ReadFileBytes(const std::u16string& path, std::string& bytes, std::size_t maxBytes) {
    bytes.clear();
    const fs::path file = FsPath(path);
    // The type is checked before opening: a folder opens fine on Linux and a
    // pipe would block the program.
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found) return false;
    if (ec) return ReadFailed(path, ec);
    if (fs::is_directory(status)) return ReadFailed(path, std::make_error_code(std::errc::is_a_directory));
    if (!fs::is_regular_file(status)) return ReadFailed(path, "not a regular file");

    FILE* in = OpenFileHandle(file, "rb");
    if (!in) return ReadFailed(path, LastCError());
    bool ok = IsRegularFileHandle(in);  // it may have been swapped since the check
    if (!ok) ReadFailed(path, "not a regular file");
    char buffer[65536];
    while (ok) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, in);
        if (got > maxBytes - bytes.size()) {
            ok = ReadFailed(path, std::make_error_code(std::errc::file_too_large));
        } else {
            bytes.append(buffer, got);
        }
        if (got < sizeof buffer) {
            if (std::ferror(in)) ok = ReadFailed(path, LastCError());
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

bool WriteTextFileCrLf(const std::u16string& path, const std::string& text) {
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') crlf.push_back('\r');
        crlf.push_back(c);
    }
    return WriteFileBytes(path, crlf);
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
