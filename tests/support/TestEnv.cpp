#include "tests/support/TestEnv.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"

namespace {
std::u16string WideOf(const fs::path& p) { return Utf8ToWide(p.string()); }
}  // namespace

TempDir::TempDir() {
    std::random_device rd;
    for (;;) {
        path = fs::temp_directory_path() / ("vantrel-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(path, ec)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
}

std::u16string TempDir::Wide() const { return WideOf(path) + u"/"; }

void UseTempAppPaths(const TempDir& root) {
    fs::create_directories(root.path / "pref");
    fs::create_directories(root.path / "program" / "temp");
    SetAppPaths(WideOf(root.path / "pref") + u"/", WideOf(root.path / "program") + u"/");
    ClearLog();
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::string> ReadLogLines() {
    std::vector<std::string> lines;
    std::istringstream in(ReadText(FsPath(AppPaths.preferenceFolder + u"log.txt")));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::u16string MakeFakeGameFolder(const fs::path& folder, bool with32, bool with64) {
    fs::create_directories(folder / "dev" / "Shaders");
    fs::create_directories(folder / "data" / "SilverLining");
    fs::create_directories(folder / "Content");
    if (with32) WriteText(folder / "RailWorks.exe", "fake 32-bit game\n");
    if (with64) WriteText(folder / "RailWorks64.exe", "fake 64-bit game\n");
    return WideOf(folder);
}

fs::path ToolPath(const std::string& name) { return fs::path(VANTREL_TOOLS_DIR) / name; }

bool Logged(const std::string& line) {
    const auto log = ReadLogLines();
    return std::find(log.begin(), log.end(), line) != log.end();
}

bool WaitForFile(const fs::path& file) {
    for (int i = 0; i < 200; ++i) {
        std::error_code ec;
        if (fs::exists(file, ec) && fs::file_size(file, ec) > 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}
