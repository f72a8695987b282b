// Stand-in for the game's converter serz.exe, installed by the tests as
// <game>/serz (as <game>/serz.exe on Windows). One argument, a path
// (backslashes allowed): "X.bin" makes it write "X.xml", "X.xml" makes it
// write "X.bin", replacing it. Every call is appended to "serz-calls.txt"
// beside the program. A file "serz-fail" there says what fails: "all" (exit 3,
// nothing written); only the conversion back: "exit" (exit 3, nothing
// written), "damage" (part of a profile written, exit 3), or with exit 0:
// "unchanged" (nothing written), "stale" (the old profile written again),
// "truncated" (part of the profile), "empty", "foreign" (another document),
// "garbage" (bytes of no format), "reverted" (every option 1 written as 0),
// "dropped" (without TSXEnabled); or "noreadback": the conversion back
// works, but no later conversion of the profile does.
#include <filesystem>
#include <fstream>
#include <regex>
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
    if (type == ".bin") {
        if (failure == "noreadback" && fs::exists(folder / "serz-wrote", ec)) return 3;
        return fake_serz::Decode(Read(path), xml) && Write(stem + ".xml", xml) ? 0 : 4;
    }
    if (type != ".xml" || !fs::exists(path, ec)) return 2;
    xml = Read(path);
    const std::string bin = stem + ".bin";
    Write(folder / "serz-wrote", "");
    if (failure == "damage") Write(bin, fake_serz::Encode(xml.substr(0, 40)));
    if (failure == "exit" || failure == "damage") return 3;
    if (failure == "stale") Write(bin, Read(bin));
    if (failure == "truncated") Write(bin, fake_serz::Encode(xml.substr(0, xml.size() / 2)));
    if (failure == "empty") Write(bin, "");
    if (failure == "foreign") Write(bin, fake_serz::Encode("<?xml version=\"1.0\"?>\n<Settings><Global/></Settings>"));
    if (failure == "garbage") Write(bin, std::string("PK\3\4\0\0\xff\xfe garbage", 16));
    if (failure == "reverted") Write(bin, fake_serz::Encode(std::regex_replace(xml, std::regex(">1<"), ">0<")));
    if (failure == "dropped") {
        Write(bin, fake_serz::Encode(std::regex_replace(xml, std::regex("<TSXEnabled[\\s\\S]*?</TSXEnabled>"), "")));
    }
    if (!failure.empty() && failure != "noreadback") return 0;
    return Write(bin, fake_serz::Encode(xml)) ? 0 : 5;
}
