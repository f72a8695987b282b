// Whole installs and restores through the stand-in compiler and converter on
// a fake game folder, the interface check against the game's own effects, and
// the sky override file.

#include <fstream>

#include "app/Log.h"
#include "shaders/Definitions.h"
#include "shaders/EarlierBackups.h"
#include "shaders/EffectPlacement.h"
#include "shaders/SkyOverride.h"
#include "tests/support/FakeCompilerOutput.h"
#include "tests/support/FakeTools.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

bool Installed(const fs::path& file) { return fake_compiler::Text(ReadText(file)).starts_with("FAKEFXC\n"); }

// Restored, removed, left alone.
std::vector<int> RestoreCounts() {
    const RestoreOutcome& r = LastRestore();
    return {r.filesRestored, r.filesRemoved, static_cast<int>(r.leftAlone.size())};
}

// What the stand-in compiler leaves for an effect built from the settings.
std::string Compiled(const std::string& effect, const ShaderSettings& shader) {
    const std::string source = BuildEffectSource(std::string(FindShaderTemplate(Utf8ToWide(effect))->text),
                                                 BuildDefinitionList(Utf8ToWide(effect), shader));
    return fake_compiler::Effect("FAKEFXC\n", CrLf(source));
}

// The effects whose file in the game is not that.
std::vector<std::string> NotCompiled(const fs::path& game, const std::vector<std::string>& effects,
                                     const ShaderSettings& shader) {
    std::vector<std::string> wrong;
    for (const std::string& e : effects)
        if (ReadText(GameShader(game, e)) != Compiled(e, shader)) wrong.push_back(e);
    return wrong;
}
const std::vector<std::string> kNone;

// The effects the stand-in compiler was run for since the last call.
std::set<std::string> TakeCompiledNames() {
    const std::vector<std::string> names = TakeCompiledEffects();
    return std::set<std::string>(names.begin(), names.end());
}

// The stand-in compiler writes this fixture as the effect's output.
void CompilerWrites(const std::string& effect, const std::string& fixture) {
    fs::copy_file(kEffects / fixture, FsPath(AppPaths.programFolder) / ("fxc-output-" + effect),
                  fs::copy_options::overwrite_existing);
}

const std::string kInstalled = "Compiled and installed shader: ";
const std::string kCurrent = "Installed shader already current: ";
const std::string kReused = "Reused the compiled shader kept from an earlier install: ";

using ShaderInstall = PipelineTest;
using ShaderRestore = PipelineTest;
using SkyOverride = PipelineTest;

}  // namespace

TEST_F(ShaderInstall, AQuotedNonLatinGameFolderWithTheWeatherPackGetsAllOffSettingsItsProfilePatchedAndRestored) {
    const fs::path quoted = root.path / "Train \"Sim\" l'été Łódź Москва";
    settings.TSPath = MakeFakeGameFolder(quoted);
    settings.Shader = Switches(false);
    settings.Shader.ProceduralFloraSway = true;  // no effect while the outer switch is off
    PutStockShaders(quoted);
    AddWeatherPack(quoted);
    InstallFakeConverter(quoted);
    WriteFakeProfile(quoted, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<cRecordSet><Record><cPlayerProfile>"
                           "<DetailPostProcessingBL>0</DetailPostProcessingBL><TSXEnabled>1</TSXEnabled>"
                           "<DetailPostProcessingDOF>1</DetailPostProcessingDOF>"
                           "<DetailProceduralFlora>1</DetailProceduralFlora></cPlayerProfile></Record></cRecordSet>\n");
    const fs::path work = FsPath(AppPaths.workFolder);
    WriteText(work / "leftover.fx.o", "old");
    WriteText(work / "notes.txt", "foreign");
    WriteText(work / "busy" / "inside.txt", "a folder that cannot be removed as a file");

    ASSERT_TRUE(ShaderInstaller::Install());
    const std::set<std::string> guarded = {"PostTrainVolumetricFog", "TrainGlass", "TrainGlassWeatherEffects",
                                           "TrainSkyDome"};
    std::vector<std::string> others;
    for (const std::string& e : EffectNames()) {
        if (!guarded.count(e)) others.push_back(e);
        else EXPECT_EQ(ReadText(GameShader(quoted, e)), "STOCK " + e);
        EXPECT_EQ(fs::exists(quoted / "Vantrel" / "Originals" / (e + ".fx.o")), !guarded.count(e)) << e;
    }
    // Compiled side by side, installed and logged in install order.
    EXPECT_EQ(CompilerCalls().size(), 11u);
    EXPECT_EQ(TakeCompiledNames(), std::set<std::string>(others.begin(), others.end()));
    EXPECT_EQ(LoggedAfter(kInstalled), others);
    EXPECT_EQ(NotCompiled(quoted, others, settings.Shader), kNone);
    EXPECT_TRUE(Logged("Shader compiler: fxc.exe (" + root.path.string() + "/program/fxc)"));

    // Headers, foreign files and compiler outputs are gone; the folder stays.
    EXPECT_EQ(FileNames(work), std::vector<std::string>{"busy"});

    EXPECT_EQ(ReadText(SkyOverrideFile(quoted)), CrLf(kSkyOverrideBaseBlock));
    EXPECT_TRUE(settings.ShadersInstallOK);
    EXPECT_FALSE(settings.NeedShadersUpdate);
    EXPECT_EQ(settings.ShadersVersion, APP_VERSION);
    const auto log = ReadLogLines();
    EXPECT_EQ(log.front(), "Compiling shaders...");
    EXPECT_EQ(log.end()[-4], "Shaders compilation done");
    EXPECT_EQ(log.back(), "Shaders Installation Succeeded");  // after the settings file's save
    EXPECT_TRUE(Logged("Tweaked Silverlining file"));
    // The converter was given this folder's profile, the name whole; only the bloom was forced.
    const auto calls = FakeConverterCalls(quoted);
    ASSERT_EQ(calls.size(), 3u);  // to XML, back, and to XML once more to check it
    EXPECT_EQ(calls[0], quoted.string() + "\\Content\\PlayerProfiles.bin");
    std::string xml;
    ASSERT_TRUE(ReadFakeProfile(quoted, xml));
    EXPECT_NE(xml.find("<DetailPostProcessingBL>1</DetailPostProcessingBL>"), std::string::npos);
    EXPECT_EQ(LastInstall().status, InstallStatus::Installed);
    EXPECT_TRUE(LastInstall().forcedBloom && !LastInstall().forcedTSX);

    ASSERT_TRUE(ShaderInstaller::Restore());
    for (const std::string& e : EffectNames()) EXPECT_EQ(ReadText(GameShader(quoted, e)), "STOCK " + e);
}

TEST_F(ShaderInstall, AFailureMidRunInstallsExactlyTheEffectsBeforeItAndTheRetryCompilesOnlyWhatIsMissing) {
    settings.ShadersInstallOK = false;
    settings.NeedShadersUpdate = true;
    settings.ShadersVersion = u"1.03";
    PutStockShaders(game);
    const fs::path overrideFile = SkyOverrideFile(game);
    WriteText(overrideFile, "user's own");
    const std::vector<std::string> effects = EffectNames();
    const std::vector<std::string> firstFour(effects.begin(), effects.begin() + 4);

    // Rain, the fifth, fails late: the effects after it are compiled by then.
    {
        ScopedEnv fail("FAKE_FXC_FAIL", "Rain");
        ScopedEnv slow("FAKE_FXC_SLOW", "Rain");
        EXPECT_FALSE(ShaderInstaller::Install(4));
    }
    std::set<std::string> missing(effects.begin(), effects.end());
    for (const std::string& e : TakeCompiledNames()) missing.erase(e);
    EXPECT_FALSE(missing.count("TrainSkyDome"));
    for (size_t i = 0; i < effects.size(); ++i) {
        const std::string expected = i < 4 ? Compiled(effects[i], settings.Shader) : "STOCK " + effects[i];
        EXPECT_EQ(ReadText(GameShader(game, effects[i])), expected) << effects[i];
    }
    EXPECT_EQ(LoggedAfter(kInstalled), firstFour);
    // The compiler's own words follow the error line.
    const std::string words =
        "temp\\Rain.fx(3,5): error X3004: undeclared identifier 'failing'\ncompilation of Rain failed on request\n";
    std::string logged;
    for (const std::string& line : ReadLogLines()) logged += line + "\n";
    EXPECT_TRUE(logged.ends_with("ERROR: Shader compilation error for shader: Rain\n" + words +
                                 "Shaders Installation Failed\n"))
        << logged;
    EXPECT_EQ(LastInstall().failedEffect, u"Rain");
    EXPECT_EQ(LastInstall().failureMessage, words);
    EXPECT_EQ(LastInstall().cause, FailureCause::CompilerError);
    EXPECT_EQ(LastInstall().effectsWritten, 4);
    EXPECT_FALSE(settings.ShadersInstallOK || LastInstall().ok());
    EXPECT_TRUE(settings.NeedShadersUpdate);
    EXPECT_EQ(settings.ShadersVersion, u"1.03");
    EXPECT_EQ(ReadText(overrideFile), "user's own");
    EXPECT_FALSE(Logged("Shaders compilation done"));

    // The retry compiles Rain and what was never started; the rest is reused,
    // and the four in place are not written again.
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    missing.insert("Rain");
    EXPECT_EQ(TakeCompiledNames(), missing);
    EXPECT_EQ(LoggedAfter(kCurrent), firstFour);
    EXPECT_EQ(LoggedAfter(kInstalled), std::vector<std::string>(effects.begin() + 4, effects.end()));
    EXPECT_EQ(LoggedAfter(kReused).size(), 15 - missing.size());
    EXPECT_EQ(NotCompiled(game, effects, settings.Shader), kNone);
    EXPECT_EQ(LoggedAfter("Backed up original shader: ").size(), 11u);  // the first four were saved before

    // Nothing shipped: the restore brings the game's files back from the backups.
    ASSERT_TRUE(ShaderInstaller::Restore());
    for (const std::string& e : effects) EXPECT_EQ(ReadText(GameShader(game, e)), "STOCK " + e);
    EXPECT_EQ(ReadText(overrideFile), CrLf(kSkyOverrideBaseBlock));

    // A game file that can be neither read nor replaced (a folder) stops the
    // install there too.
    fs::remove(GameShader(game, "Rain"));
    WriteText(GameShader(game, "Rain") / "held", "");
    ClearLog();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_FALSE(ShaderInstaller::Install());
    // A folder in the way never clears by waiting: no busy-file retries.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(LoggedAfter(kInstalled), firstFour);
    EXPECT_EQ(LastInstall().failedEffect, u"Rain");
    EXPECT_EQ(LastInstall().effectsWritten, 4);
    EXPECT_TRUE(Logged("ERROR: Can't read " + game.string() + "\\dev\\Shaders\\Rain.fx.o: Is a directory"));
    EXPECT_TRUE(Logged("ERROR: Rain.fx.o was not installed, because the game's file cannot be read"));
    EXPECT_TRUE(fs::is_directory(GameShader(game, "Rain")));
    EXPECT_EQ(ReadText(GameShader(game, "DeferredPoint")), "STOCK DeferredPoint");
    EXPECT_FALSE(settings.ShadersInstallOK);
}

TEST_F(ShaderInstall, WhatStopsAnInstallBeforeTheCompilerIsNamedAsItself) {
    const std::u16string gamePath = settings.TSPath;
    const std::string program = root.path.string() + "/program/";
    auto failsWith = [](const std::string& line) {  // the whole line, or its start
        ClearLog();
        EXPECT_FALSE(ShaderInstaller::Install());
        const std::vector<std::string> log = ReadLogLines();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log.end()[-2].rfind(line, 0), 0u) << line;
        EXPECT_EQ(log.back(), "Shaders Installation Failed");
        EXPECT_EQ(LastInstall().failureMessage.rfind(line, 0), 0u) << line;
        EXPECT_TRUE(LastInstall().failedEffect.empty());
        EXPECT_TRUE(CompilerCalls().empty());
    };

    settings.TSPath.clear();
    failsWith("Can't install/update TS enhanced shaders. TS Path is empty");
    EXPECT_EQ(ReadLogLines().size(), 3u);
    EXPECT_TRUE(fs::is_empty(FsPath(AppPaths.workFolder)));
    settings.TSPath = gamePath;

    // A header that cannot be written; a work folder that cannot be made.
    fs::create_directories(FsPath(AppPaths.workFolder + u"DeferredFns.fxh/x"));
    failsWith("ERROR: Can't write the shader header " + program + "temp\\DeferredFns.fxh");
    fs::remove_all(program + "temp");
    WriteText(program + "temp", "a file where the work folder belongs");
    failsWith("ERROR: Can't create the work folder " + program + "temp\\ (");
    EXPECT_EQ(ReadLogLines().size(), 3u);
    fs::remove(program + "temp");

    // No compiler anywhere; then only a Windows compiler and no wine to run it.
    ScopedPathFirst emptyPath(root.path / "emptybin", false);
    fs::create_directories(root.path / "emptybin");
    fs::remove(program + "fxc");
    failsWith("ERROR: No shader compiler: fxc.exe was not found beside the program (" + program +
              ") nor on the PATH, and this system has no effect compiler of its own. What works instead: fxc.exe "
              "from the Windows SDK beside Vantrel (" + program + ") or on the PATH, run through wine; or Vantrel "
              "for Windows in the game's Wine prefix with Microsoft's d3dcompiler_47.dll (for Steam's Proton: "
              "protontricks 24010 d3dcompiler_47).");
    WriteText(program + "fxc.exe", "MZ");
    failsWith("ERROR: wine was not found on the search path (PATH); it is needed to run the Windows program " +
              program + "fxc.exe");
    EXPECT_FALSE(fs::exists(GameShader(game, "DeferredDirectional")));
}

TEST_F(ShaderInstall, TheGameEffectStaysWhenTheNewOneLacksPartOfItsInterface) {
    const std::string gameEffect = ReadText(kEffects / "game.fx.o"), complete = ReadText(kEffects / "complete.fx.o");
    for (const char* effect : {"Rain", "ProcFlora"}) WriteText(GameShader(game, effect), gameEffect);
    WriteText(GameShader(game, "DeferredSpot"), "not an effect binary");
    CompilerWrites("Rain", "lacking.fx.o");
    CompilerWrites("ProcFlora", "complete.fx.o");

    ASSERT_TRUE(ShaderInstaller::Install());
    const InstallOutcome& state = LastInstall();
    EXPECT_EQ(ReadText(GameShader(game, "Rain")), gameEffect);
    EXPECT_EQ(ReadText(GameShader(game, "ProcFlora")), complete);
    EXPECT_EQ(ReadText(game / "Vantrel" / "Originals" / "ProcFlora.fx.o"), gameEffect);
    EXPECT_TRUE(Installed(GameShader(game, "DeferredSpot")));  // nothing to compare
    EXPECT_EQ(state.effectsInstalled, 14);
    EXPECT_EQ(state.effectsCompiled, 15);
    EXPECT_EQ(state.keptEffects, std::vector<std::u16string>{u"Rain"});
    EXPECT_TRUE(Logged("Kept the game's own Rain.fx.o: the new effect lacks techniques HIGH; parameters WorldViewProj "
                       "(float4x4), FogColour (float4)"));
    EXPECT_FALSE(Logged("Compiled and installed shader: Rain"));

    // A later effect that lost part of the interface where our earlier one is
    // in place: the game's own goes back and is no longer ours to restore.
    CompilerWrites("ProcFlora", "lacking.fx.o");
    // The stand-in's output changed while its input did not: nothing kept may stand in for it.
    fs::remove_all(FsPath(AppPaths.preferenceFolder + u"CompiledEffects"));
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(ReadText(GameShader(game, "ProcFlora")), gameEffect);
    EXPECT_EQ(state.keptEffects, (std::vector<std::u16string>{u"ProcFlora", u"Rain"}));
    ASSERT_TRUE(ShaderInstaller::Restore());
    EXPECT_EQ(ReadText(GameShader(game, "ProcFlora")), gameEffect);
    EXPECT_EQ(ReadText(GameShader(game, "DeferredSpot")), "not an effect binary");
    EXPECT_EQ(LastRestore().filesRestored, 1);

    // An output that cannot be read fails the placement and changes nothing.
    const EffectPlacement failed = PutEffectIntoGame(settings.TSPath, u"Rain", W(kEffects / "missing.fx.o"));
    EXPECT_EQ(failed.outcome, PlacementOutcome::Failed);
    EXPECT_NE(WideToUtf8(failed.message).find("missing.fx.o cannot be read"), std::string::npos);
    EXPECT_EQ(ReadText(GameShader(game, "Rain")), gameEffect);
}

TEST_F(ShaderRestore, AnInstallThroughALinkIsUndoneThroughTheRealPathAndEarlierBackupsBecomeTheOriginals) {
    fs::create_directory_symlink(game, root.path / "link");
    settings.TSPath = W(root.path / "link");
    ASSERT_TRUE(ShaderInstaller::Install());
    for (const std::string& e : EffectNames()) EXPECT_TRUE(Installed(GameShader(game, e))) << e;

    settings.TSPath = W(game);
    ASSERT_TRUE(ShaderInstaller::Restore());
    EXPECT_TRUE(fs::is_empty(game / "dev" / "Shaders"));
    EXPECT_FALSE(fs::exists(game / "Vantrel"));
    EXPECT_EQ(RestoreCounts(), (std::vector<int>{0, 15, 0}));
    EXPECT_TRUE(Logged("Restored 0 game shader files, removed 15, left 0 alone"));
    EXPECT_FALSE(settings.ShadersInstallOK);

    // What an earlier release left: its output in the game, the game's files in its backups.
    const fs::path backups = FsPath(EarlierBackupFolder(settings.TSPath));
    auto earlierRelease = [&] {
        for (const std::string e : {"Rain", "ProcFlora"}) {
            WriteText(GameShader(game, e), "OLD ENHANCED " + e);
            WriteText(backups / (e + ".fx.o"), "STOCK " + e);
        }
        WriteText(backups / "GameFolder.txt", "note");
    };
    auto stockIsBack = [&] {
        EXPECT_EQ(ReadText(GameShader(game, "Rain")), "STOCK Rain");
        EXPECT_EQ(ReadText(GameShader(game, "ProcFlora")), "STOCK ProcFlora");
    };
    // Restored directly by this release.
    earlierRelease();
    ASSERT_TRUE(ShaderInstaller::Restore());
    stockIsBack();
    EXPECT_FALSE(fs::exists(FsPath(AppPaths.preferenceFolder + u"Backups")));
    // Installed over, then restored: never the earlier output as the original.
    earlierRelease();
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_TRUE(Logged("Took the earlier backup " + WideToUtf8(EarlierBackupFolder(settings.TSPath)) +
                       "Rain.fx.o as the game's own Rain.fx.o"));
    EXPECT_FALSE(fs::exists(backups));
    EXPECT_TRUE(Installed(GameShader(game, "Rain")));
    ASSERT_TRUE(ShaderInstaller::Restore());
    stockIsBack();
    EXPECT_EQ(RestoreCounts(), (std::vector<int>{2, 13, 0}));
}

TEST_F(ShaderInstall, WhatDecidesTheOutputIsCompiledAgainAndGameUpdatesAndOtherToolsWinOverTheRecordOnRestore) {
    PutStockShaders(game, "STOCK 1 ");
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(TakeCompiledNames().size(), 15u);

    // One changed slider compiles one effect.
    settings.Shader.BloomIntensity += 0.25f;
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(TakeCompiledNames(), std::set<std::string>{"Train_post_bloom"});
    EXPECT_EQ(LoggedAfter(kInstalled), std::vector<std::string>{"Train_post_bloom"});
    EXPECT_EQ(LoggedAfter(kCurrent).size(), 14u);
    EXPECT_EQ(LoggedAfter(kReused).size(), 14u);
    EXPECT_EQ(NotCompiled(game, EffectNames(), settings.Shader), kNone);
    // A kept output cut short is compiled again, not installed.
    const fs::path kept = FsPath(AppPaths.preferenceFolder + u"CompiledEffects/Rain.fx.o.kept");
    const std::string whole = ReadText(kept);
    WriteText(kept, whole.substr(0, whole.size() - 10));
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(TakeCompiledNames(), std::set<std::string>{"Rain"});
    EXPECT_EQ(ReadText(GameShader(game, "Rain")), Compiled("Rain", settings.Shader));
    // Another compiler (here: the same one, a byte longer) compiles everything again.
    std::ofstream(FsPath(AppPaths.programFolder + u"fxc"), std::ios::app | std::ios::binary) << '\0';
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(TakeCompiledNames().size(), 15u);

    // A game update between two installs: its file is the one to restore.
    WriteText(GameShader(game, "Rain"), "STOCK 2 Rain");
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_TRUE(Installed(GameShader(game, "Rain")));
    EXPECT_TRUE(Logged("Backed up the game's Rain.fx.o again: it changed since Vantrel installed it"));
    EXPECT_EQ(LoggedAfter("Backed up").size(), 1u);

    // Another tool replaces a file after the install: it stays, and so do its
    // entry and the game's copy, for a restore once the other tool is gone.
    WriteText(GameShader(game, "DeferredSpot"), "OTHER TOOL");
    ASSERT_TRUE(ShaderInstaller::Restore());
    for (const std::string& e : EffectNames()) {
        const std::string expected = e == "Rain" ? "STOCK 2 Rain" : e == "DeferredSpot" ? "OTHER TOOL" : "STOCK 1 " + e;
        EXPECT_EQ(ReadText(GameShader(game, e)), expected);
    }
    EXPECT_TRUE(Logged("Left DeferredSpot.fx.o alone: it changed after Vantrel installed it"));
    EXPECT_EQ(RestoreCounts(), (std::vector<int>{14, 0, 1}));
    EXPECT_EQ(FileNames(game / "Vantrel" / "Originals"), std::vector<std::string>{"DeferredSpot.fx.o"});
    EXPECT_TRUE(LastRestore().ok);
    EXPECT_EQ(LastRestore().leftAlone, std::vector<std::u16string>{u"DeferredSpot.fx.o"});

    // A copy that cannot be put back fails the restore and stays recorded.
    ASSERT_TRUE(ShaderInstaller::Install());
    WriteText(game / "Vantrel" / "Originals" / "Rain.fx.o", "damaged copy");
    EXPECT_FALSE(ShaderInstaller::Restore());
    EXPECT_FALSE(LastRestore().ok);
    ASSERT_EQ(LastRestore().notRestored.size(), 1u);
    EXPECT_EQ(LastRestore().notRestored[0].fileName, u"Rain.fx.o");
    EXPECT_TRUE(Installed(GameShader(game, "Rain")));
    EXPECT_EQ(ReadText(GameShader(game, "ProcFlora")), "STOCK 1 ProcFlora");
    EXPECT_TRUE(settings.ShadersInstallOK);  // still partly installed
    WriteText(game / "Vantrel" / "Originals" / "Rain.fx.o", "STOCK 2 Rain");
    EXPECT_TRUE(ShaderInstaller::Restore());
    EXPECT_EQ(ReadText(GameShader(game, "Rain")), "STOCK 2 Rain");
    EXPECT_EQ(RestoreCounts(), (std::vector<int>{1, 0, 0}));

    settings.TSPath.clear();
    ClearLog();
    EXPECT_FALSE(ShaderInstaller::Restore());
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{"Can't restore TS original files. TS Path is empty",
                                                        "Shaders Restoration Failed"}));
}

TEST_F(ShaderRestore, ShippedEffectsStandInOnlyForWhatTheRecordCannotGiveBackAndTheWeatherPackKeepsItsFiles) {
    const fs::path shaders = game / "dev" / "Shaders";
    const fs::path shipped = FsPath(AppPaths.programFolder + u"Data/OriginalShaders");
    const std::vector<std::string> addOnFiles = {
        "TrainPostDPPObjectDiffuse.fx.o", "TrainParticleLit.fx.o", "TrainParticleEmissive.fx.o",
        "TrainParticleDefault.fx.o",      "TrainGlass.fx.o",       "LoftPostDPPTexDiffSpec.fx.o",
        "PostTrainVolumetricFog.fx.o",    "TrainSkyDome.fx.o"};
    settings.ShadersVersion = u"1.04";
    WriteText(shaders / "Rain.fx.o", "STOCK rain");
    WriteText(shaders / "trainglass.fx.o", "GAME UPDATE trainglass");
    for (const std::string& f : addOnFiles) WriteText(shaders / f, "ADDON " + f);
    AddWeatherPack(game);
    // A missing shipped folder is an empty one.
    ASSERT_TRUE(ShaderInstaller::Install());
    for (const std::string& f : addOnFiles) WriteText(shipped / f, "SHIPPED " + f);
    for (const std::string f :
         {"TrainGlassWeatherEffects.fx.o", "trainglass.fx.o", "Rain.fx.o", "README.txt", "Nested/Inner.fx.o"})
        WriteText(shipped / f, "SHIPPED " + f);
    WriteText(SkyOverrideFile(game), "installed form");
    {
        SCOPED_TRACE("with a record, what it does not name is left alone");
        ASSERT_TRUE(ShaderInstaller::Restore());
        for (const std::string& f : addOnFiles) EXPECT_EQ(ReadText(shaders / f), "ADDON " + f);
        EXPECT_EQ(ReadText(shaders / "Rain.fx.o"), "STOCK rain");  // the record wins
        EXPECT_EQ(ReadText(shaders / "trainglass.fx.o"), "GAME UPDATE trainglass");
        for (const char* f :
             {"DeferredSpot.fx.o", "TrainGlassWeatherEffects.fx.o", "README.txt", "Nested", "Inner.fx.o"})
            EXPECT_FALSE(fs::exists(shaders / f)) << f;
        EXPECT_EQ(LastRestore().filesNotRecorded, 2);  // trainglass and TrainGlassWeatherEffects
        EXPECT_TRUE(Logged("Left 2 files of the shipped originals alone: the record of Vantrel's changes does not "
                           "name them"));
        EXPECT_EQ(ReadText(SkyOverrideFile(game)), CrLf(kSkyOverrideBaseBlock));
        EXPECT_FALSE(settings.ShadersInstallOK);
        EXPECT_EQ(settings.ShadersVersion, u"1.04");
        EXPECT_EQ(ReadLogLines().back(), "Shaders Restoration Succeeded");
    }
    {
        SCOPED_TRACE("a recorded add-on file waits while the add-on is there; a lost copy is filled in");
        fs::remove_all(game / "Assets");
        ASSERT_TRUE(ShaderInstaller::Install());
        fs::remove(game / "Vantrel" / "Originals" / "Rain.fx.o");
        AddWeatherPack(game);
        ASSERT_TRUE(ShaderInstaller::Restore());
        EXPECT_TRUE(Installed(shaders / "TrainSkyDome.fx.o"));
        EXPECT_EQ(ReadText(shaders / "Rain.fx.o"), "SHIPPED Rain.fx.o");
        fs::remove_all(game / "Assets");
        ASSERT_TRUE(ShaderInstaller::Restore());
        EXPECT_EQ(ReadText(shaders / "TrainSkyDome.fx.o"), "ADDON TrainSkyDome.fx.o");
        EXPECT_EQ(ReadText(shaders / "TrainParticleLit.fx.o"), "ADDON TrainParticleLit.fx.o");
        EXPECT_FALSE(fs::exists(game / "Vantrel"));
    }
    {
        SCOPED_TRACE("without any record (a release that kept none), every shipped effect goes back");
        ASSERT_TRUE(ShaderInstaller::Install());
        fs::remove_all(game / "Vantrel");
        ASSERT_TRUE(ShaderInstaller::Restore());
        for (const std::string f : {"TrainGlassWeatherEffects.fx.o", "trainglass.fx.o", "Rain.fx.o",
                                    "TrainParticleLit.fx.o", "TrainSkyDome.fx.o"})
            EXPECT_EQ(ReadText(shaders / f), "SHIPPED " + f);
        EXPECT_TRUE(Installed(shaders / "DeferredSpot.fx.o"));  // nothing knows it is ours
        EXPECT_EQ(LastRestore().filesNotRecorded, 0);
    }
}

TEST_F(SkyOverride, TheCloudSwitchesChooseTheBlocksTheRestoreWritesTheBaseAloneAndAFailureIsAFailure) {
    WriteText(SkyOverrideFile(game), "old user text that must go\n");
    struct Case { bool performance, enhancement; long lines; };
    for (const Case c : {Case{false, false, 48}, Case{true, false, 60}, Case{false, true, 64}, Case{true, true, 76}}) {
        settings.Shader.DynamicCloudsPerformanceFix = c.performance;
        settings.Shader.DynamicCloudsEnhancements = c.enhancement;
        if (c.lines == 76) AddWeatherPack(game);  // which changes nothing here
        EXPECT_TRUE(WriteSkyOverride(settings).ok);
        const std::string bytes = ReadText(SkyOverrideFile(game));
        EXPECT_EQ(bytes, CrLf(std::string(kSkyOverrideBaseBlock) + (c.performance ? kSkyOverridePerformanceBlock : "") +
                              (c.enhancement ? kSkyOverrideEnhancementBlock : "")));
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), c.lines);
    }
    // The same text again is not written again.
    const fs::file_time_type past = fs::last_write_time(SkyOverrideFile(game)) - std::chrono::hours(24);
    fs::last_write_time(SkyOverrideFile(game), past);
    EXPECT_TRUE(WriteSkyOverride(settings).ok);
    EXPECT_EQ(fs::last_write_time(SkyOverrideFile(game)), past);
    EXPECT_EQ(ReadLogLines().back(), "Tweaked Silverlining file (it was already current)");
    EXPECT_TRUE(WriteSkyOverrideBaseOnly(settings.TSPath).ok);
    EXPECT_EQ(ReadText(SkyOverrideFile(game)), CrLf(kSkyOverrideBaseBlock));
    const auto log = ReadLogLines();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Tweaked Silverlining file"), 4);
    EXPECT_EQ(log.back(), "Restored original Silverlining file");

    // What is in the way is named, nothing else is touched, and no success is logged.
    const std::string text = ReadText(SkyOverrideFile(game));
    fs::permissions(SkyOverrideFile(game), fs::perms::owner_read);
    StepOutcome readOnly = WriteSkyOverride(settings);
    EXPECT_EQ(readOnly.cause, FailureCause::FileReadOnly);
    EXPECT_EQ(readOnly.path, W(game) + u"\\data\\SilverLining\\Silverlining.override");
    EXPECT_EQ(ReadText(SkyOverrideFile(game)), text);
    fs::permissions(SkyOverrideFile(game), fs::perms::owner_read | fs::perms::owner_write);
    fs::remove(SkyOverrideFile(game));
    WriteText(SkyOverrideFile(game) / "keep", "x");
    ClearLog();
    const StepOutcome folder = WriteSkyOverrideBaseOnly(settings.TSPath);
    EXPECT_FALSE(folder.ok);
    EXPECT_TRUE(fs::exists(SkyOverrideFile(game) / "keep"));
    EXPECT_FALSE(Logged("Restored original Silverlining file"));
    EXPECT_NE(ReadLogLines().back().find("Silverlining.override (Is a directory)"), std::string::npos);
    // A missing folder is not made.
    fs::remove_all(game / "data" / "SilverLining");
    EXPECT_FALSE(WriteSkyOverride(settings).ok);
    EXPECT_FALSE(fs::exists(game / "data" / "SilverLining"));
    EXPECT_FALSE(Logged("Tweaked Silverlining file"));
}
