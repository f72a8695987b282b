// Stand-in for the effect compiler: accepts only the command line the program
// uses, checks the source exists and writes "FAKEFXC\n" + the source as the
// compiled effect, or the content of "fxc-output-<name>" when that file exists
// in the current folder. Fails on request, with a message on standard output
// and one on standard error: the effect name is listed in FAKE_FXC_FAIL (comma
// separated) or a file "fxc-fail-<name>" exists in the current folder.
// Takes its time on request: FAKE_FXC_DELAY_MS sleeps, FAKE_FXC_BURN_MS keeps
// a core busy, an effect listed in FAKE_FXC_SLOW sleeps 1.5 s more, and
// while a file "fxc-hold" exists in the current folder it waits (30 s at most).
// Every call is appended to "fxc-calls.txt" in the current folder.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
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

bool Listed(const char* variable, const std::string& name) {
    const char* list = std::getenv(variable);
    if (list) {
        std::stringstream in(list);
        std::string item;
        while (std::getline(in, item, ',')) {
            if (item == name) return true;
        }
    }
    return false;
}

bool ListedToFail(const std::string& name) {
    std::error_code ec;
    return Listed("FAKE_FXC_FAIL", name) || fs::exists("fxc-fail-" + name, ec);
}

long Milliseconds(const char* variable) {
    const char* value = std::getenv(variable);
    return value ? std::atol(value) : 0;
}

// The time a real compiler takes, asleep or on a core.
void TakeTime(const std::string& name) {
    using Clock = std::chrono::steady_clock;
    std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds("FAKE_FXC_DELAY_MS")));
    if (Listed("FAKE_FXC_SLOW", name)) std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const std::clock_t burnUntil = std::clock() + Milliseconds("FAKE_FXC_BURN_MS") * CLOCKS_PER_SEC / 1000;
    volatile unsigned long spin = 0;
    while (std::clock() < burnUntil) spin = spin + 1;
    const auto holdUntil = Clock::now() + std::chrono::seconds(30);
    std::error_code ec;
    while (fs::exists("fxc-hold", ec) && Clock::now() < holdUntil) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
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
    TakeTime(name);
    if (ListedToFail(name)) {
        std::cout << source << "(3,5): error X3004: undeclared identifier 'failing'\n" << std::flush;
        std::cerr << "compilation of " << name << " failed on request\n";
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
