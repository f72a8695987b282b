// Installs under Wine through both compilers: the stand-in d3dcompiler_47.dll
// put into the prefix's system folder and loaded as a native DLL
// (WINEDLLOVERRIDES=d3dcompiler_47=n), so the in-process path runs as on
// Windows 10 and 11; then fxc.exe beside the program, run as a process.
#include <windows.h>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/SystemEffectCompiler.h"
#include "settings/Settings.h"
#include "shaders/EffectCompilerChoice.h"
#include "shaders/ShaderInstaller.h"
#include "tests/support/FakeCompilerOutput.h"
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
    fs::path dll = SystemDll(), aside = dll.string() + ".wine";
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

// The game files that start with the marker, or whose stand-in effect does.
int InstalledBy(const fs::path& game, const std::string& marker) {
    int installed = 0;
    for (const std::string& e : EffectNames()) {
        const std::string bytes = ReadText(GameShader(game, e));
        installed += bytes.rfind(marker, 0) == 0 || fake_compiler::Text(bytes).rfind(marker, 0) == 0;
    }
    return installed;
}

// Temp program paths and a fake game folder <root>/game with stock files as TSPath.
fs::path StockGame(const TempDir& root) {
    UseTempAppPaths(root);
    const fs::path game = root.path / "game";
    Settings::Instance() = Settings();
    Settings::Instance().TSPath = MakeFakeGameFolder(game);
    PutStockShaders(game);
    return game;
}

}  // namespace

TEST(WinCompilers, TheSystemsCompilerInProcessThenFxcBuildEveryEffectAndTheRestoreUndoesIt) {
    TempDir tmp;
    const fs::path game = StockGame(tmp);
    StandInDll standIn;
    ASSERT_FALSE(fs::exists(FsPath(AppPaths.programFolder + u"fxc.exe")));

    // Without the DLL the program still runs; the install says what is missing.
    EXPECT_FALSE(ShaderInstaller::Install());
    const std::string& why = ShaderInstaller::Instance().install.failureMessage;
    EXPECT_EQ(why.rfind("ERROR: No shader compiler: fxc.exe was not found beside the program (", 0), 0u) << why;
    EXPECT_NE(why.find("d3dcompiler_47.dll could not be loaded from the Windows system folder"), std::string::npos);
    EXPECT_TRUE(Logged(why));

    EXPECT_NE(why.find(". What works instead: Microsoft's d3dcompiler_47.dll in the game's Wine prefix (for Steam's "
                       "Proton: protontricks 24010 d3dcompiler_47), or fxc.exe from the Windows SDK beside Vantrel ("),
              std::string::npos)
        << why;

    // Under Wine, but Microsoft's DLL (here the stand-in) in the prefix: no advice needed.
    EXPECT_FALSE(WineVersion().empty());
    if (GetACP() == 1252) {
        EXPECT_EQ(CompilerCodePageToWide("\x93" "caf\xe9\x94"), u"\u201Ccaf\u00E9\u201D");
    }
    standIn.Put();
    EXPECT_FALSE(SystemEffectCompilerIsWines());
    EXPECT_TRUE(ChooseEffectCompiler().advice.empty());
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_TRUE(Logged("Shader compiler: the system's d3dcompiler_47.dll (" + SystemDll().string() + ")"));
    EXPECT_EQ(InstalledBy(game, "FAKED3DC\n#define "), 15);
    // Every header the source includes, read through the include handler from the work folder.
    const std::string directional = ReadText(GameShader(game, "DeferredDirectional"));
    for (const char* header : {"CommonFns.fxh", "DeferredFns.fxh", "ShadowFns.fxh", "MOX_Fns.fxh"}) {
        const std::string text = CrLf(std::string(FindShaderTemplate(Utf8ToWide(header))->text));
        EXPECT_NE(directional.find("// included " + std::string(header) + " " + std::to_string(text.size()) + "\n"),
                  std::string::npos)
            << header;
    }

    // The error blob reaches the log and the result, line by line.
    Settings::Instance().Shader.BloomIntensity += 0.5f;
    {
        ScopedEnv fail("FAKE_FXC_FAIL", "Train_post_bloom");
        ClearLog();
        EXPECT_FALSE(ShaderInstaller::Install());
    }
    const auto log = ReadLogLines();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
              (std::vector<std::string>{"ERROR: Shader compilation error for shader: Train_post_bloom",
                                        "Train_post_bloom.fx(3,5): error X3004: undeclared identifier 'failing'",
                                        "Train_post_bloom.fx(9,1): error X3000: compilation failed on request",
                                        "Shaders Installation Failed"}));
    EXPECT_EQ(ShaderInstaller::Instance().install.failedEffect, u"Train_post_bloom");

    // A game file held open by another program: the copy waits until it is let go.
    const fs::path held = GameShader(game, "Train_post_bloom");
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
    EXPECT_NE(ReadText(held).find("MOX_BloomIntensity"), std::string::npos);

    // fxc.exe beside the program comes first, run as a Windows process.
    fs::copy_file(ToolPath("fake_fxc.exe"), FsPath(AppPaths.programFolder + u"fxc.exe"));
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_TRUE(Logged("Shader compiler: fxc.exe (" + WideToUtf8(AppPaths.programFolder) + "fxc.exe)"));
    EXPECT_EQ(InstalledBy(game, "FAKEFXC\n"), 15);

    // The record in the game folder undoes it, reached through another
    // spelling of the path; a file the game updated since stays, and so do
    // its entry and the game's earlier copy.
    Settings::Instance().TSPath += u"\\.";
    WriteText(GameShader(game, "Rain"), "updated by the game");
    ASSERT_TRUE(ShaderInstaller::Restore());
    EXPECT_EQ(InstalledBy(game, "STOCK "), 14);
    EXPECT_EQ(ReadText(GameShader(game, "Rain")), "updated by the game");
    EXPECT_EQ(ShaderInstaller::Instance().restore.leftAlone, std::vector<std::u16string>{u"Rain.fx.o"});
    EXPECT_EQ(FileNames(game / "Vantrel" / "Originals"), std::vector<std::string>{"Rain.fx.o"});
}

// Run with Wine's own d3dcompiler_47.dll (WINEDLLOVERRIDES=d3dcompiler_47=b):
// it cannot write fx_2_0 effects, and the player learns what works instead.
TEST(WinesOwn, CompilerIsRecognisedAndItsFailureSaysWhatWorksInstead) {
    TempDir tmp;
    const fs::path game = StockGame(tmp);
    const EffectCompilerChoice choice = ChooseEffectCompiler();
    ASSERT_EQ(choice.kind, EffectCompilerKind::System) << WideToUtf8(choice.problem);
    EXPECT_TRUE(SystemEffectCompilerIsWines());
    EXPECT_EQ(WideToUtf8(choice.description),
              "Shader compiler: the system's d3dcompiler_47.dll (" + SystemDll().string() + "), Wine's own (Wine " +
                  WineVersion() + ")");
    const std::string advice = WideToUtf8(choice.advice);
    EXPECT_EQ(advice.rfind("What works instead: Microsoft's d3dcompiler_47.dll in the game's Wine prefix", 0), 0u);

    EXPECT_FALSE(ShaderInstaller::Install());
    const auto log = ReadLogLines();
    EXPECT_EQ(std::count(log.begin(), log.end(), advice), 1);
    EXPECT_EQ(ShaderInstaller::Instance().install.cause, FailureCause::CompilerError);
    EXPECT_EQ(ShaderInstaller::Instance().install.advice, advice);  // the result popup says it too
    for (const std::string& e : EffectNames()) EXPECT_EQ(ReadText(GameShader(game, e)), "STOCK " + e);
}
