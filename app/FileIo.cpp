#include "app/FileIo.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "app/FileProbes.h"

namespace fs = std::filesystem;

namespace {
FILE* OpenFile(const std::u16string& path, const char* mode) {
#ifdef _WIN32
    std::wstring wmode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(FsPath(path).c_str(), wmode.c_str());
#else
    return std::fopen(FsPath(path).c_str(), mode);
#endif
}

bool FlushToDisk(FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}
}  // namespace

bool ReadFileBytes(const std::u16string& path, std::string& bytes) {
    std::ifstream in(FsPath(path), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFileBytes(const std::u16string& path, const std::string& bytes) {
    FILE* file = OpenFile(path, "wb");
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

bool WriteFileReplacingSafely(const std::u16string& path, const std::string& bytes) {
    const std::u16string temporary = path + u".new";
    FILE* file = OpenFile(temporary, "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = FlushToDisk(file) && ok;
    ok = std::fclose(file) == 0 && ok;
    std::error_code ec;
    if (ok) {
        fs::rename(FsPath(temporary), FsPath(path), ec);
        ok = !ec;
    }
    if (!ok) fs::remove(FsPath(temporary), ec);
    return ok;
}

bool CopyFileReplacing(const std::u16string& from, const std::u16string& to) {
    std::error_code ec;
    fs::copy_file(FsPath(from), FsPath(to), fs::copy_options::overwrite_existing, ec);
    return !ec;
}

bool WriteFileWhenFree(const std::u16string& path, const std::string& bytes, int attempts, unsigned waitMs) {
    for (int attempt = 1;; ++attempt) {
        if (WriteFileReplacingSafely(path, bytes)) return true;
        if (attempt >= attempts) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    }
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
        entry.name = it->path().filename().u16string();
        std::error_code typeError;
        entry.isDirectory = fs::is_directory(it->path(), typeError);  // follows links
        entries.push_back(entry);
    }
    return !ec;
}
