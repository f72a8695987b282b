// The install without fxc.exe under Wine: the stand-in d3dcompiler_47.dll is
// put into the prefix's system folder and loaded as a native DLL
// (WINEDLLOVERRIDES=d3dcompiler_47=n), so the program's in-process path runs
// as it would on Windows 10 and 11.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "shaders/ShaderInstaller.h"
#include "shaders/ShaderTemplates.h"
#include "tests/support/FakeTools.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

fs::path SystemDll() {
    wchar_t folder[MAX_PATH] = L"";
    GetSystemDirectoryW(folder, MAX_PATH);
    return fs::path(folder) / "d3dcompiler_47.dll";
}

// The prefix's own placeholder is set aside while the test runs.
struct StandInDll {
    fs::path dll = SystemDll();
    fs::path aside = dll.string() + ".wine";
    StandInDll() {
        std::error_code ec;
        if (fs::exists(dll, ec) && !fs::exists(aside, ec)) fs::rename(dll, aside, ec);
        fs::remove(dll, ec);
    }
    void Put() { fs::copy_file(ToolPath("d3dcompiler_47.dll"), dll, fs::copy_options::overwrite_existing); }
    ~StandInDll() {
        std::error_code ec;
        fs::remove(dll, ec);
        if (fs::exists(aside, ec)) fs::rename(aside, dll, ec);
    }
};

std::string Installed(const fs::path& game, const char* effect) {
    return ReadText(game / "dev" / "Shaders" / (std::string(effect) + ".fx.o"));
}

}  // namespace

TEST(WinSystemCompiler, WithoutFxcTheSystemsCompilerBuildsEveryEffectInProcess) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    const fs::path game = tmp.path / "game";
    Settings::Instance() = Settings();
    Settings::Instance().TSPath = MakeFakeGameFolder(game);
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.kind == TemplateKind::Effect) WriteText(game / "dev" / "Shaders" / (WideToUtf8(t.name) + ".fx.o"), "STOCK");
    }
    StandInDll standIn;
    ASSERT_FALSE(fs::exists(FsPath(AppPaths.programFolder + u"fxc.exe")));

    // Without the DLL the program still runs; the install says what is missing.
    EXPECT_FALSE(ShaderInstaller::Install());
    const std::string& why = ShaderInstaller::Instance().failureMessage;
    EXPECT_EQ(why.rfind("ERROR: No shader compiler: fxc.exe was not found beside the program (", 0), 0u) << why;
    EXPECT_NE(why.find("d3dcompiler_47.dll could not be loaded from the Windows system folder"), std::string::npos);
    EXPECT_TRUE(Logged(why));

    standIn.Put();
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_TRUE(Logged("Shader compiler: the system's d3dcompiler_47.dll (" + SystemDll().string() + ")"));
    // The source as written to the work folder, and every header it includes,
    // read through the include handler from the work folder.
    const std::string directional = Installed(game, "DeferredDirectional");
    ASSERT_EQ(directional.rfind("FAKED3DC\n#define ", 0), 0u) << directional.substr(0, 40);
    for (const char* header : {"CommonFns.fxh", "DeferredFns.fxh", "ShadowFns.fxh", "MOX_Fns.fxh"}) {
        const std::string text = CrLf(std::string(FindShaderTemplate(Utf8ToWide(header))->text));
        EXPECT_NE(directional.find("// included " + std::string(header) + " " + std::to_string(text.size()) + "\n"),
                  std::string::npos)
            << header;
    }
    int installed = 0;
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.kind != TemplateKind::Effect) continue;
        installed += Installed(game, WideToUtf8(t.name).c_str()).rfind("FAKED3DC", 0) == 0;
    }
    EXPECT_EQ(installed, 15);

    // The error blob reaches the log and the result, line by line.
    Settings::Instance().Shader.BloomIntensity += 0.5f;
    {
        ScopedEnv fail("FAKE_FXC_FAIL", "Train_post_bloom");
        ClearLog();
        EXPECT_FALSE(ShaderInstaller::Install());
    }
    const auto log = ReadLogLines();
    const auto error = std::find(log.begin(), log.end(), "ERROR: Shader compilation error for shader: Train_post_bloom");
    ASSERT_LE(std::distance(error, log.end()), 3);
    EXPECT_EQ(*(error + 1), "Train_post_bloom.fx(3,5): error X3004: undeclared identifier 'failing'");
    EXPECT_EQ(*(error + 2), "Train_post_bloom.fx(9,1): error X3000: compilation failed on request");
    EXPECT_EQ(ShaderInstaller::Instance().failedEffect, u"Train_post_bloom");

    // A game file held open by another program: the copy waits until it is let go.
    const fs::path held = game / "dev" / "Shaders" / "Train_post_bloom.fx.o";
    HANDLE handle = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    std::thread release([handle] {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        CloseHandle(handle);
    });
    ClearLog();
    const bool ok = ShaderInstaller::Install();
    release.join();
    EXPECT_TRUE(ok);
    EXPECT_TRUE(Logged("Compiled and installed shader: Train_post_bloom"));
    EXPECT_NE(Installed(game, "Train_post_bloom").find("MOX_BloomIntensity"), std::string::npos);
}
