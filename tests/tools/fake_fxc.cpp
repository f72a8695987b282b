// Stand-in for the effect compiler, run in the program folder. It accepts
// only the command line the program uses, and writes an fx_2_0 effect with
// the techniques and passes of the source followed by "FAKEFXC\n" + the
// source (tests/support/FakeCompilerOutput.h), or the content of
// "fxc-output-<name>" when that file exists. An effect listed in
// FAKE_FXC_FAIL (comma separated) fails with a message on standard output and
// one on standard error. FAKE_FXC_DAMAGE ("<name>:<how>,...") makes it exit 0
// with a damaged effect: "cut60" (60 % of it), "cut8" (its first 8 bytes),
// "empty", "foreign" (a text), "notechnique" (without its first technique),
// "nopass" (its first technique without its last pass). The bytes of a file
// "fxc-words-<name>" are written to standard output first. It takes its time
// on request: FAKE_FXC_DELAY_MS sleeps, FAKE_FXC_BURN_MS keeps a core busy, an
// effect listed in FAKE_FXC_SLOW sleeps 1.5 s more, and while a file
// "fxc-hold" exists it waits (30 s at most). Every call is appended to
// "fxc-calls.txt", its arguments separated by tabs.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>
#include <vector>

#include "../support/FakeCompilerOutput.h"

namespace fs = std::filesystem;
using std::chrono::milliseconds;

namespace {

bool Listed(const char* variable, const std::string& name) {
    std::stringstream list(std::getenv(variable) ? std::getenv(variable) : "");
    for (std::string item; std::getline(list, item, ',');)
        if (item == name) return true;
    return false;
}

// How FAKE_FXC_DAMAGE damages the effect; empty: not at all.
std::string Damage(const std::string& name) {
    std::stringstream list(std::getenv("FAKE_FXC_DAMAGE") ? std::getenv("FAKE_FXC_DAMAGE") : "");
    for (std::string item; std::getline(list, item, ',');)
        if (item.rfind(name + ":", 0) == 0) return item.substr(name.size() + 1);
    return "";
}

std::string Damaged(const std::string& how, const std::string& source) {
    auto techniques = fake_compiler::SourceTechniques(source);
    const std::string whole = effect_writer::Effect(techniques);
    if (how == "cut60") return whole.substr(0, whole.size() * 6 / 10);
    if (how == "cut8") return whole.substr(0, 8);
    if (how == "empty") return "";
    if (how == "foreign") return "FAKEFXC\n" + source;
    if (how == "notechnique" && !techniques.empty()) techniques.erase(techniques.begin());
    if (how == "nopass" && !techniques.empty() && !techniques[0].passes.empty()) techniques[0].passes.pop_back();
    return effect_writer::Effect(techniques) + "FAKEFXC\n" + source;
}

long Milliseconds(const char* variable) { return std::getenv(variable) ? std::atol(std::getenv(variable)) : 0; }

void TakeTime(const std::string& name) {
    const long slow = Listed("FAKE_FXC_SLOW", name) ? 1500 : 0;
    std::this_thread::sleep_for(milliseconds(Milliseconds("FAKE_FXC_DELAY_MS") + slow));
    const std::clock_t burnUntil = std::clock() + Milliseconds("FAKE_FXC_BURN_MS") * CLOCKS_PER_SEC / 1000;
    for (volatile unsigned long spin = 0; std::clock() < burnUntil;) spin = spin + 1;
    const auto holdUntil = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::error_code ec;
    while (fs::exists("fxc-hold", ec) && std::chrono::steady_clock::now() < holdUntil)
        std::this_thread::sleep_for(milliseconds(20));
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::ofstream calls("fxc-calls.txt", std::ios::app);
    for (const std::string& a : args) calls << a << '\t';
    calls << '\n';
    calls.close();

    // /Gec /T fx_2_0 /nologo /O3 /Fo temp\<name>.fx.o temp\<name>.fx
    const std::vector<std::string> options = {"/Gec", "/T", "fx_2_0", "/nologo", "/O3", "/Fo"};
    const bool expected = args.size() == 8 && std::equal(options.begin(), options.end(), args.begin());
    const std::string source = expected ? args[7] : "";
    const bool named = source.size() > 8 && source.starts_with("temp\\") && source.ends_with(".fx");
    const std::string name = named ? source.substr(5, source.size() - 8) : "";
    if (!named || args[6] != source + ".o" || name.find_first_of("\\/\"") != std::string::npos) {
        std::cerr << "fake_fxc: unexpected command line: " << args.size() << " arguments";
        for (const std::string& a : args) std::cerr << " [" << a << "]";
        std::cerr << "\n";
        return 2;
    }
    const fs::path file = fs::path("temp") / (name + ".fx");
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "fake_fxc: cannot open " << source << "\n";
        return 1;
    }
    TakeTime(name);
    std::ifstream words("fxc-words-" + name, std::ios::binary);
    if (words) std::cout << words.rdbuf() << std::flush;
    if (Listed("FAKE_FXC_FAIL", name)) {
        std::cout << source << "(3,5): error X3004: undeclared identifier 'failing'\n" << std::flush;
        std::cerr << "compilation of " << name << " failed on request\n";
        return 1;
    }
    std::ofstream out(file.string() + ".o", std::ios::binary | std::ios::trunc);
    std::ifstream given("fxc-output-" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (given) out << given.rdbuf();
    else if (!Damage(name).empty()) out << Damaged(Damage(name), text.str());
    else out << fake_compiler::Effect("FAKEFXC\n", text.str());
    out.close();
    return out ? 0 : 1;
}
