// Whole installs through the stand-in compiler, converter and a fake game
// folder: what ends up in the game, in the log and in the kept outputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "shaders/Definitions.h"
#include "shaders/ShaderInstaller.h"
#include "shaders/ShaderTemplates.h"
#include "shaders/SkyOverride.h"
#include "tests/support/FakeTools.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

const std::set<std::string> kGuarded = {"PostTrainVolumetricFog", "TrainGlass", "TrainGlassWeatherEffects",
                                        "TrainSkyDome"};

std::vector<std::string> EffectNames() {
    std::vector<std::string> names;
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.kind == TemplateKind::Effect) names.push_back(WideToUtf8(t.name));
    }
    return names;
}

fs::path GameShader(const fs::path& game, const std::string& effect) {
    return game / "dev" / "Shaders" / (effect + ".fx.o");
}

void PutStockShaders(const fs::path& game) {
    for (const std::string& e : EffectNames()) WriteText(GameShader(game, e), "STOCK " + e);
}

std::string Source(const std::string& effect, const ShaderSettings& shader) {
    const ShaderTemplate* t = FindShaderTemplate(Utf8ToWide(effect));
    return CrLf(BuildEffectSource(std::string(t->text), BuildDefinitionList(Utf8ToWide(effect), shader)));
}

// What the stand-in compiler leaves for an effect built from the settings.
std::string Compiled(const std::string& effect, const ShaderSettings& shader) {
    return "FAKEFXC\n" + Source(effect, shader);
}

std::vector<std::string> CompiledNames() {
    std::vector<std::string> names;
    for (const std::string& call : CompilerCalls()) {
        const auto start = call.find("temp\\") + 5;
        names.push_back(call.substr(start, call.find(".fx.o") - start));
    }
    return names;
}

std::set<std::string> AsSet(const std::vector<std::string>& names) { return {names.begin(), names.end()}; }

void ForgetCompilerCalls() { fs::remove(FsPath(AppPaths.programFolder + u"fxc-calls.txt")); }

// The log lines that start with the prefix, without it, in log order.
std::vector<std::string> LoggedAfter(const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : ReadLogLines()) {
        if (line.rfind(prefix, 0) == 0) found.push_back(line.substr(prefix.size()));
    }
    return found;
}

}  // namespace

TEST(ShaderInstall, WeatherPackLeavesTheFourGuardedFilesAndAllOffSettingsGoIn) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    Settings& settings = Settings::Instance();
    for (const ParamDesc& p : ShaderParamTable()) {
        if (p.kind == ParamKind::Bool) settings.Shader.*p.boolField = false;
    }
    settings.Shader.ProceduralFloraSway = true;  // no effect while the outer switch is off
    PutStockShaders(game);
    AddWeatherPack(game);
    const fs::path work = FsPath(AppPaths.workFolder);
    WriteText(work / "leftover.fx.o", "old");
    WriteText(work / "notes.txt", "foreign");
    WriteText(work / "busy" / "inside.txt", "a folder that cannot be removed as a file");

    ASSERT_TRUE(ShaderInstaller::Install());

    std::vector<std::string> expected;
    for (const std::string& e : EffectNames()) {
        if (!kGuarded.count(e)) expected.push_back(e);
    }
    // Compiled side by side, installed and logged in install order.
    EXPECT_EQ(AsSet(CompiledNames()), AsSet(expected));
    EXPECT_EQ(CompilerCalls().size(), 11u);
    EXPECT_EQ(LoggedAfter("Compiled and installed shader: "), expected);
    EXPECT_EQ(CompilerCalls()[0].substr(0, 31), "/Gec\t/T\tfx_2_0\t/nologo\t/O3\t/Fo\t");
    EXPECT_TRUE(Logged("Shader compiler: fxc.exe (" + root.path.string() + "/program/fxc)"));
    for (const std::string& e : EffectNames()) {
        if (kGuarded.count(e)) {
            EXPECT_EQ(ReadText(GameShader(game, e)), "STOCK " + e);
            EXPECT_FALSE(fs::exists(game / "Vantrel" / "Originals" / (e + ".fx.o")));
        } else {
            EXPECT_EQ(ReadText(GameShader(game, e)), Compiled(e, settings.Shader)) << e;
        }
    }
    EXPECT_EQ(ReadText(GameShader(game, "ProcFlora")).substr(0, 10), "FAKEFXC\n\r\n");

    // Headers, foreign files and compiler outputs are gone; the folder stays.
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(work)) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"busy"});

    EXPECT_EQ(ReadText(game / "data" / "SilverLining" / "Silverlining.override"), CrLf(kSkyOverrideBaseBlock));
    EXPECT_TRUE(settings.ShadersInstallOK);
    EXPECT_FALSE(settings.NeedShadersUpdate);
    EXPECT_EQ(settings.ShadersVersion, APP_VERSION);
    bool ok = false, tsx = true, bloom = true;
    ShaderInstaller::GetInstallResult(ok, tsx, bloom);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(tsx);  // the fake game has no converter, so nothing is forced
    EXPECT_FALSE(bloom);
    const auto log = ReadLogLines();
    EXPECT_EQ(log.front(), "Compiling shaders...");
    EXPECT_EQ(log.back(), "Shaders compilation done");
    EXPECT_TRUE(Logged("Tweaked Silverlining file"));
}

TEST(ShaderInstall, AFailureMidRunInstallsExactlyTheEffectsBeforeItAndTheRetryCompilesOnlyWhatIsMissing) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    Settings& settings = Settings::Instance();
    settings.ShadersInstallOK = false;
    settings.NeedShadersUpdate = true;
    settings.ShadersVersion = u"1.03";
    PutStockShaders(game);
    const fs::path overrideFile = game / "data" / "SilverLining" / "Silverlining.override";
    WriteText(overrideFile, "user's own");

    // Rain, the fifth, fails late: the effects after it are compiled by then.
    {
        ScopedEnv fail("FAKE_FXC_FAIL", "Rain");
        ScopedEnv slow("FAKE_FXC_SLOW", "Rain");
        EXPECT_FALSE(ShaderInstaller::Install(4));
    }
    const std::vector<std::string> effects = EffectNames();
    const std::set<std::string> firstRun = AsSet(CompiledNames());
    EXPECT_TRUE(firstRun.count("TrainSkyDome"));
    for (size_t i = 0; i < effects.size(); ++i) {
        const std::string expected = i < 4 ? Compiled(effects[i], settings.Shader) : "STOCK " + effects[i];
        EXPECT_EQ(ReadText(GameShader(game, effects[i])), expected) << effects[i];
    }
    EXPECT_EQ(LoggedAfter("Compiled and installed shader: "),
              (std::vector<std::string>{effects.begin(), effects.begin() + 4}));
    // The compiler's own words follow the error line.
    const auto log = ReadLogLines();
    const auto error = std::find(log.begin(), log.end(), "ERROR: Shader compilation error for shader: Rain");
    ASSERT_LE(std::distance(error, log.end()), 3);
    EXPECT_EQ(*(error + 1), "temp\\Rain.fx(3,5): error X3004: undeclared identifier 'failing'");
    EXPECT_EQ(*(error + 2), "compilation of Rain failed on request");
    const ShaderInstaller& result = ShaderInstaller::Instance();
    EXPECT_FALSE(result.installOK);
    EXPECT_EQ(result.failedEffect, u"Rain");
    EXPECT_EQ(result.failureMessage,
              "temp\\Rain.fx(3,5): error X3004: undeclared identifier 'failing'\ncompilation of Rain failed on request\n");
    EXPECT_FALSE(settings.ShadersInstallOK);
    EXPECT_TRUE(settings.NeedShadersUpdate);
    EXPECT_EQ(settings.ShadersVersion, u"1.03");
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.kind != TemplateKind::Header) continue;
        EXPECT_EQ(ReadText(FsPath(AppPaths.workFolder + t.name)), CrLf(std::string(t.text)));
    }
    EXPECT_EQ(ReadText(overrideFile), "user's own");
    EXPECT_FALSE(Logged("Shaders compilation done"));

    // The retry compiles Rain and what was never started; the rest is reused.
    ForgetCompilerCalls();
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    std::set<std::string> missing = AsSet(effects);
    for (const std::string& e : firstRun) missing.erase(e);
    missing.insert("Rain");
    EXPECT_EQ(AsSet(CompiledNames()), missing);
    EXPECT_EQ(LoggedAfter("Compiled and installed shader: "), effects);
    EXPECT_EQ(LoggedAfter("Reused the compiled shader kept from an earlier install: ").size(), 15 - missing.size());
    const fs::path originals = game / "Vantrel" / "Originals";
    for (const std::string& e : effects) {
        EXPECT_EQ(ReadText(GameShader(game, e)), Compiled(e, settings.Shader)) << e;
        EXPECT_EQ(ReadText(originals / (e + ".fx.o")), "STOCK " + e);
    }
    EXPECT_EQ(LoggedAfter("Backed up original shader: ").size(), 11u);  // the first four were saved before

    // Nothing shipped: the restore brings the game's files back from the backups.
    fs::create_directories(FsPath(AppPaths.programFolder + u"Data/OriginalShaders"));
    ASSERT_TRUE(ShaderInstaller::Restore());
    for (const std::string& e : effects) EXPECT_EQ(ReadText(GameShader(game, e)), "STOCK " + e);
    EXPECT_EQ(ReadText(overrideFile), CrLf(kSkyOverrideBaseBlock));
}

TEST(ShaderInstall, OneChangedSliderCompilesOneEffectAndAnythingElseThatDecidesTheOutputCounts) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    Settings& settings = Settings::Instance();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(CompilerCalls().size(), 15u);

    settings.Shader.BloomIntensity += 0.25f;
    ForgetCompilerCalls();
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(CompiledNames(), std::vector<std::string>{"Train_post_bloom"});
    EXPECT_EQ(LoggedAfter("Compiled and installed shader: "), EffectNames());
    EXPECT_EQ(LoggedAfter("Reused the compiled shader kept from an earlier install: ").size(), 14u);
    for (const std::string& e : EffectNames()) EXPECT_EQ(ReadText(GameShader(game, e)), Compiled(e, settings.Shader));

    // A kept output cut short is compiled again, not installed.
    const fs::path kept = FsPath(AppPaths.preferenceFolder + u"CompiledEffects/Rain.fx.o.kept");
    const std::string whole = ReadText(kept);
    WriteText(kept, whole.substr(0, whole.size() - 10));
    // Another compiler (here: the same one, a byte longer) compiles everything again.
    ForgetCompilerCalls();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(CompiledNames(), std::vector<std::string>{"Rain"});
    EXPECT_EQ(ReadText(GameShader(game, "Rain")), Compiled("Rain", settings.Shader));
    {
        std::ofstream grow(FsPath(AppPaths.programFolder + u"fxc"), std::ios::app | std::ios::binary);
        grow << '\0';
    }
    ForgetCompilerCalls();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(CompilerCalls().size(), 15u);
}

TEST(ShaderInstall, WhatStopsAnInstallBeforeTheCompilerIsNamedAsItself) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    Settings& settings = Settings::Instance();
    const std::u16string gamePath = settings.TSPath;
    auto failsWith = [](const std::string& line) {
        ClearLog();
        EXPECT_FALSE(ShaderInstaller::Install());
        EXPECT_TRUE(Logged(line)) << line;
        EXPECT_EQ(ShaderInstaller::Instance().failureMessage, line);
        EXPECT_TRUE(ShaderInstaller::Instance().failedEffect.empty());
        EXPECT_FALSE(Logged("ERROR: Shader compilation error for shader: DeferredDirectional"));
        EXPECT_TRUE(CompilerCalls().empty());
    };

    settings.TSPath.clear();
    failsWith("Can't install/update TS enhanced shaders. TS Path is empty");
    EXPECT_EQ(ReadLogLines().size(), 2u);
    EXPECT_TRUE(fs::is_empty(FsPath(AppPaths.workFolder)));
    settings.TSPath = gamePath;

    // A header that cannot be written; a work folder that cannot be made.
    fs::create_directories(FsPath(AppPaths.workFolder + u"DeferredFns.fxh/x"));
    failsWith("ERROR: Can't write the shader header " + root.path.string() + "/program/temp\\DeferredFns.fxh");
    const fs::path workFolder = root.path / "program" / "temp";
    fs::remove_all(workFolder);
    WriteText(workFolder, "a file where the work folder belongs");
    ClearLog();
    EXPECT_FALSE(ShaderInstaller::Install());
    const auto log = ReadLogLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].rfind("ERROR: Can't create the work folder " + WideToUtf8(AppPaths.workFolder) + " (", 0), 0u)
        << log[1];
    fs::remove(workFolder);

    // No compiler anywhere; then only a Windows compiler and no wine to run it.
    ScopedPathFirst emptyPath(root.path / "emptybin", false);
    fs::create_directories(root.path / "emptybin");
    fs::remove(FsPath(AppPaths.programFolder + u"fxc"));
    failsWith("ERROR: No shader compiler: fxc.exe was not found beside the program (" + root.path.string() +
              "/program/) nor on the PATH, and this system has no effect compiler of its own: put fxc.exe from the "
              "Windows SDK beside Vantrel");
    WriteText(FsPath(AppPaths.programFolder + u"fxc.exe"), "MZ");
    failsWith("ERROR: wine was not found on the search path (PATH); it is needed to run the Windows program " +
              root.path.string() + "/program/fxc.exe");
    EXPECT_EQ(ReadText(GameShader(game, "DeferredDirectional")), "");
}

TEST(ShaderInstall, AGameFileThatCannotBeReplacedFailsTheInstallAfterTheEffectsBeforeIt) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    PutStockShaders(game);
    // A folder where the game's Rain.fx.o is: it can be neither read nor replaced.
    fs::remove(GameShader(game, "Rain"));
    WriteText(GameShader(game, "Rain") / "held", "");
    ASSERT_FALSE(ShaderInstaller::Install());
    const std::vector<std::string> effects = EffectNames();
    EXPECT_EQ(LoggedAfter("Compiled and installed shader: "),
              (std::vector<std::string>{effects.begin(), effects.begin() + 4}));
    EXPECT_EQ(ShaderInstaller::Instance().failedEffect, u"Rain");
    EXPECT_TRUE(Logged("ERROR: Rain.fx.o was not installed, because the game's file cannot be read"));
    EXPECT_EQ(ReadText(GameShader(game, "DeferredPoint")), "STOCK DeferredPoint");
    EXPECT_EQ(ReadText(GameShader(game, "Rain") / "held"), "");
    EXPECT_FALSE(Settings::Instance().ShadersInstallOK);
}

TEST(ShaderInstall, AGameFolderNamedWithQuotesAndForeignLettersInstallsPatchesAndRestores) {
    TempDir root;
    SetUpPipeline(root);
    const fs::path game = root.path / "Train \"Sim\" l'été Łódź Москва";
    Settings& settings = Settings::Instance();
    settings.TSPath = MakeFakeGameFolder(game);
    PutStockShaders(game);
    InstallFakeConverter(game);
    WriteFakeProfile(game,
                     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<cRecordSet><Record><cPlayerProfile>"
                     "<DetailPostProcessingBL>0</DetailPostProcessingBL><TSXEnabled>1</TSXEnabled>"
                     "<DetailPostProcessingDOF>1</DetailPostProcessingDOF>"
                     "<DetailProceduralFlora>1</DetailProceduralFlora></cPlayerProfile></Record></cRecordSet>\n");

    ASSERT_TRUE(ShaderInstaller::Install());
    for (const std::string& e : EffectNames()) EXPECT_EQ(ReadText(GameShader(game, e)), Compiled(e, settings.Shader));
    std::string xml;
    ASSERT_TRUE(ReadFakeProfile(game, xml));
    EXPECT_NE(xml.find("<DetailPostProcessingBL>1</DetailPostProcessingBL>"), std::string::npos);
    // The converter was given this folder's profile, the name whole.
    const auto calls = FakeConverterCalls(game);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], game.string() + "\\Content\\PlayerProfiles.bin");
    bool ok = false, tsx = true, bloom = false;
    ShaderInstaller::GetInstallResult(ok, tsx, bloom);
    EXPECT_TRUE(bloom);
    EXPECT_FALSE(tsx);

    fs::create_directories(FsPath(AppPaths.programFolder + u"Data/OriginalShaders"));
    ASSERT_TRUE(ShaderInstaller::Restore());
    for (const std::string& e : EffectNames()) EXPECT_EQ(ReadText(GameShader(game, e)), "STOCK " + e);
}
