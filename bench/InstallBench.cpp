// A whole install with a stand-in compiler that keeps a core busy for 300 ms
// per effect: one compile at a time (as installs used to run) against one per
// core, and a second install after one slider changed. Run by hand:
//   cmake -B build -DVANTREL_BENCH=ON && cmake --build build --target bench_install
//   build/bench/bench_install
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "shaders/EffectCompilerChoice.h"
#include "shaders/InstallRun.h"
#include "shaders/ShaderCompiler.h"
#include "shaders/ShaderInstaller.h"

namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The shortest of three runs, each after prepare: on a shared machine the
// others' load only ever adds time.
double Shortest(const std::function<void()>& prepare, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        prepare();
        times.push_back(Seconds(work));
    }
    return *std::min_element(times.begin(), times.end());
}

}  // namespace

int main() {
    const fs::path root = fs::temp_directory_path() / "vantrel-install-bench";
    fs::remove_all(root);
    fs::create_directories(root / "pref");
    fs::create_directories(root / "program" / "temp");
    SetAppPaths(Utf8ToWide((root / "pref").string()) + u"/", Utf8ToWide((root / "program").string()) + u"/");
    const fs::path game = root / "game";
    for (const char* file : {"RailWorks.exe", "dev/Shaders/.keep", "data/SilverLining/.keep", "Content/.keep"}) {
        Touch(game / file, "");
    }
    fs::copy_file(VANTREL_BENCH_FXC, root / "program" / "fxc");
    setenv("FAKE_FXC_BURN_MS", "300", 0);  // another figure may be given
    Settings& settings = Settings::Instance();
    settings.TSPath = Utf8ToWide(game.string());
    const auto forgetKept = [&] { fs::remove_all(root / "pref" / "CompiledEffects"); };
    bool ok = true;

    const EffectCompilerChoice compiler = ChooseEffectCompiler();
    const double single = Shortest([] {}, [&] { ok = CompileEffectSource(compiler, u"Rain", "effect\n").ok && ok; });
    const double sequential = Shortest(forgetKept, [&] { ok = ShaderInstaller::Install(1) && ok; });
    const double concurrent = Shortest(forgetKept, [&] { ok = ShaderInstaller::Install() && ok; });
    const double oneSlider = Shortest([&] { settings.Shader.BloomIntensity += 0.01f; },
                                    [&] { ok = ShaderInstaller::Install() && ok; });
    const double nothing = Shortest([] {}, [&] { ok = ShaderInstaller::Install() && ok; });
    fs::remove_all(root);

    std::printf("cores used: %u\n", DefaultParallelCompiles());
    std::printf("one effect compiled:                %6.3f s\n", single);
    std::printf("whole install, one at a time:       %6.3f s\n", sequential);
    std::printf("whole install, side by side:        %6.3f s  (%.2f of one at a time)\n", concurrent,
                concurrent / sequential);
    std::printf("install after one slider changed:   %6.3f s  (%.2f of one effect's compile)\n", oneSlider,
                oneSlider / single);
    std::printf("install with nothing changed:       %6.3f s\n", nothing);
    return ok ? 0 : 1;
}
