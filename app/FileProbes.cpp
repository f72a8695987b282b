#include "app/FileProbes.h"

#include "app/Text.h"

namespace fs = std::filesystem;

fs::path FsPath(const std::u16string& path) {
#ifdef _WIN32
    return fs::path(std::wstring(path.begin(), path.end()));
#else
    std::u16string unix = path;
    for (auto& c : unix) {
        if (c == u'\\') c = u'/';
    }
    return fs::path(WideToUtf8(unix));
#endif
}

bool PathExists(const std::u16string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return fs::exists(fs::symlink_status(FsPath(path), ec)) && !ec;
}

bool DirectoryExists(const std::u16string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return fs::is_directory(FsPath(path), ec);
}

std::error_code CreateDirectories(const std::u16string& path) {
    std::error_code ec;
    fs::create_directories(FsPath(path), ec);
    return ec;
}

FileError RemoveFileIfExists(const std::u16string& path) {
    FileError result;
    if (!PathExists(path)) return result;
    std::error_code ec;
    fs::remove(FsPath(path), ec);
    if (ec) {
        result.code = ec;
        result.operation = "remove";
        result.path = path;
    }
    return result;
}
