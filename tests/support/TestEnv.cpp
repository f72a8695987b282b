#include "tests/support/TestEnv.h"

#include <fstream>
#include <random>
#include <sstream>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"

TempDir::TempDir() {
    std::random_device random;
    std::error_code ec;
    do {
        path = fs::temp_directory_path() / ("vantrel-test-" + std::to_string(random()));
    } while (!fs::create_directory(path, ec));
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
}

void UseTempAppPaths(const TempDir& root) {
    fs::create_directories(root.path / "pref");
    fs::create_directories(root.path / "program" / "temp");
    SetAppPaths(W(root.path / "pref") + u"/", W(root.path / "program") + u"/");
    ClearLog();
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::vector<std::string> ReadLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadText(path));
    for (std::string line; std::getline(in, line);) {
        if (line.ends_with('\r')) line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> ReadLogLines() { return ReadLines(FsPath(AppPaths.preferenceFolder + u"log.txt")); }

bool Logged(const std::string& line) {
    const auto log = ReadLogLines();
    return std::find(log.begin(), log.end(), line) != log.end();
}

std::vector<std::string> LoggedAfter(const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : ReadLogLines())
        if (line.starts_with(prefix)) found.push_back(line.substr(prefix.size()));
    return found;
}

std::vector<std::string> FileNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool WaitForFile(const fs::path& file) {
    const auto ready = [&] {
        std::error_code ec;
        return fs::exists(file, ec) && fs::file_size(file, ec) > 0;
    };
    for (int i = 0; i < 200 && !ready(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return ready();
}

std::u16string MakeFakeGameFolder(const fs::path& folder, bool with32, bool with64) {
    for (const char* sub : {"dev/Shaders", "data/SilverLining", "Content"}) fs::create_directories(folder / sub);
    if (with32) WriteText(folder / "RailWorks.exe", "fake 32-bit game\n");
    if (with64) WriteText(folder / "RailWorks64.exe", "fake 64-bit game\n");
    return W(folder);
}
