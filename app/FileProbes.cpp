#include "app/FileProbes.h"

namespace fs = std::filesystem;

namespace {
bool Failed(const std::error_code& ec, std::error_code* cause) {
    if (cause) *cause = ec;
    return false;
}
}  // namespace

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

bool CreateDirectories(const std::u16string& path, std::error_code* cause) {
    std::error_code ec;
    fs::create_directories(FsPath(path), ec);
    return ec ? Failed(ec, cause) : true;
}

bool RemoveFileIfExists(const std::u16string& path, std::error_code* cause) {
    if (!PathExists(path)) return true;
    std::error_code ec;
    fs::remove(FsPath(path), ec);
    return ec ? Failed(ec, cause) : true;
}
