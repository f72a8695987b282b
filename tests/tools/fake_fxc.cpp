// Stand-in for the effect compiler: accepts only the command line the program
// uses, checks the source exists and writes "FAKEFXC\n" + the source as the
// compiled effect, or the content of "fxc-output-<name>" when that file exists
// in the current folder. Fails on request: the effect name is listed in
// FAKE_FXC_FAIL (comma separated) or a file "fxc-fail-<name>" exists there.
// Every call is appended to "fxc-calls.txt" in the current folder.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Slashes(std::string path) {
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

int Usage(const std::string& why) {
    std::cerr << "fake_fxc: unexpected command line: " << why << "\n";
    return 2;
}

bool ListedToFail(const std::string& name) {
    const char* list = std::getenv("FAKE_FXC_FAIL");
    if (list) {
        std::stringstream in(list);
        std::string item;
        while (std::getline(in, item, ',')) {
            if (item == name) return true;
        }
    }
    std::error_code ec;
    return fs::exists("fxc-fail-" + name, ec);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> options = {"/Gec", "/T", "fx_2_0", "/nologo", "/O3", "/Fo"};
    std::vector<std::string> args(argv + 1, argv + argc);
    {
        std::ofstream calls("fxc-calls.txt", std::ios::app);
        for (const std::string& a : args) calls << a << '\t';
        calls << '\n';
    }
    if (args.size() != options.size() + 2) return Usage(std::to_string(args.size()) + " arguments");
    for (size_t i = 0; i < options.size(); ++i) {
        if (args[i] != options[i]) return Usage("argument " + std::to_string(i + 1) + " is " + args[i]);
    }
    const std::string& output = args[6];
    const std::string& source = args[7];
    if (source.rfind("temp\\", 0) != 0 || !EndsWith(source, ".fx")) return Usage("source " + source);
    if (output != source + ".o") return Usage("output " + output);
    const std::string name = source.substr(5, source.size() - 8);
    if (name.empty() || name.find_first_of("\\/\"") != std::string::npos) return Usage("name " + name);

    std::ifstream in(Slashes(source), std::ios::binary);
    if (!in) {
        std::cerr << "fake_fxc: cannot open " << source << "\n";
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (ListedToFail(name)) {
        std::cerr << "fake_fxc: failing " << name << " on request\n";
        return 1;
    }
    std::ofstream out(Slashes(output), std::ios::binary | std::ios::trunc);
    std::ifstream given("fxc-output-" + name, std::ios::binary);
    if (given) {
        out << given.rdbuf();
    } else {
        out << "FAKEFXC\n" << text.str();
    }
    out.close();
    return out ? 0 : 1;
}
