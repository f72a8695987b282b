// Stand-in for the game's converter serz.exe, installed by the tests as
// <game>/serz (as <game>/serz.exe on Windows). One argument, a path
// (backslashes allowed): "X.bin" makes it write "X.xml", "X.xml" makes it
// write "X.bin", replacing it. Every call is appended to "serz-calls.txt"
// beside the program; when a file "serz-fail" is there, it exits 3 without
// writing anything. A file "serz-fail-back" makes only the conversion back
// fail, as its text says: "exit" (exit 3, nothing written), "damage" (half a
// profile written, exit 3) or "unchanged" (exit 0, nothing written).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "../support/FakeSerzFormat.h"

namespace fs = std::filesystem;

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool Read(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

fs::path OwnFolder(const char* argv0) {
    std::error_code ec;
#ifdef _WIN32  // started by CreateProcess with its full path
    const fs::path self = fs::absolute(argv0, ec);
#else
    (void)argv0;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
#endif
    return ec ? fs::current_path(ec) : self.parent_path();
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = OwnFolder(argv[0]);
    {
        std::ofstream calls(folder / "serz-calls.txt", std::ios::app | std::ios::binary);
        for (int i = 1; i < argc; ++i) calls << (i > 1 ? " " : "") << argv[i];
        calls << "\n";
    }
    if (argc != 2) {
        std::cerr << "fake_serz: expected one path\n";
        return 2;
    }
    std::error_code ec;
    if (fs::exists(folder / "serz-fail", ec)) return 3;

    std::string path = argv[1];
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    const std::string stem = path.size() > 4 ? path.substr(0, path.size() - 4) : std::string();
    std::string input;
    if (EndsWith(path, ".bin")) {
        std::string xml;
        if (!Read(path, input) || !fake_serz::Decode(input, xml)) return 4;
        return Write(stem + ".xml", xml) ? 0 : 5;
    }
    if (EndsWith(path, ".xml")) {
        std::string failBack;
        if (Read((folder / "serz-fail-back").string(), failBack)) {
            if (failBack.rfind("damage", 0) == 0) Write(stem + ".bin", "VANTREL-FAKE-SERZ 1\n3c3f");
            return failBack.rfind("unchanged", 0) == 0 ? 0 : 3;
        }
        if (!Read(path, input)) return 4;
        return Write(stem + ".bin", fake_serz::Encode(input)) ? 0 : 5;
    }
    std::cerr << "fake_serz: neither .bin nor .xml: " << path << "\n";
    return 2;
}
