// Stand-in for the game's converter serz.exe, installed by the tests as
// <game>/serz (as <game>/serz.exe on Windows). One argument, a path
// (backslashes allowed): "X.bin" makes it write "X.xml", "X.xml" makes it
// write "X.bin", replacing it. Every call is appended to "serz-calls.txt"
// beside the program. A file "serz-fail" there says what fails: "all" (exit 3,
// nothing written), or only the conversion back: "exit" (exit 3, nothing
// written), "damage" (part of a profile written, exit 3) or "unchanged"
// (exit 0, nothing written).
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "../support/FakeSerzFormat.h"

namespace fs = std::filesystem;

namespace {
std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out << bytes);
}
}  // namespace

int main(int argc, char** argv) {
    std::error_code ec;
#ifdef _WIN32  // started by CreateProcess with its full path
    const fs::path folder = fs::absolute(argv[0], ec).parent_path();
#else
    const fs::path folder = fs::read_symlink("/proc/self/exe", ec).parent_path();
#endif
    std::ofstream calls(folder / "serz-calls.txt", std::ios::app | std::ios::binary);
    for (int i = 1; i < argc; ++i) calls << (i > 1 ? " " : "") << argv[i];
    calls << "\n";
    calls.close();

    const std::string failure = Read(folder / "serz-fail");
    if (argc != 2 || failure == "all") return argc != 2 ? 2 : 3;
    std::string path = argv[1];
    for (char& c : path) c = c == '\\' ? '/' : c;
    const std::string stem = path.substr(0, path.size() < 4 ? 0 : path.size() - 4), type = path.substr(stem.size());
    std::string xml;
    if (type == ".bin") return fake_serz::Decode(Read(path), xml) && Write(stem + ".xml", xml) ? 0 : 4;
    if (type != ".xml" || !fs::exists(path, ec)) return 2;
    if (failure == "damage") Write(stem + ".bin", fake_serz::Encode(Read(path).substr(0, 40)));
    if (!failure.empty()) return failure == "unchanged" ? 0 : 3;
    return Write(stem + ".bin", fake_serz::Encode(Read(path))) ? 0 : 5;
}
