// Install and restore end to end through a fake game folder and the stand-in
// compiler: the restore undoes exactly what the installs changed. And the sky
// override file: the blocks the two cloud switches choose, with CR LF line
// ends, and the base block alone on restore.

#include "app/Log.h"
#include "shaders/EarlierBackups.h"
#include "shaders/ShaderInstaller.h"
#include "shaders/SkyOverride.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

bool Installed(const fs::path& file) { return ReadText(file).rfind("FAKEFXC\n", 0) == 0; }

// Restored, removed, left alone.
std::vector<int> RestoreCounts() {
    const ShaderInstaller& s = ShaderInstaller::Instance();
    return {s.filesRestored, s.filesRemoved, s.filesLeftAlone};
}

}  // namespace

TEST(ShaderRestore, AnInstallThroughALinkIsUndoneThroughTheRealPathAndEarlierBackupsBecomeTheOriginals) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    fs::create_directory_symlink(game, root.path / "link");
    Settings& settings = Settings::Instance();
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

TEST(ShaderRestore, GameUpdatesAndOtherToolsWinOverWhatTheInstallRecordedAndAFailedPutBackIsNamed) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    PutStockShaders(game, "STOCK 1 ");
    ASSERT_TRUE(ShaderInstaller::Install());

    // A game update between two installs: its file is the one to restore.
    WriteText(GameShader(game, "Rain"), "STOCK 2 Rain");
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_TRUE(Installed(GameShader(game, "Rain")));
    EXPECT_TRUE(Logged("Backed up the game's Rain.fx.o again: it changed since Vantrel installed it"));
    const auto log = ReadLogLines();
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.find("Backed up") == 0; }), 1);

    // Another tool replaces a file after the install: it stays.
    WriteText(GameShader(game, "DeferredSpot"), "OTHER TOOL");
    ASSERT_TRUE(ShaderInstaller::Restore());
    for (const std::string& e : EffectNames()) {
        const std::string expected = e == "Rain" ? "STOCK 2 Rain" : e == "DeferredSpot" ? "OTHER TOOL" : "STOCK 1 " + e;
        EXPECT_EQ(ReadText(GameShader(game, e)), expected);
    }
    EXPECT_TRUE(Logged("Left DeferredSpot.fx.o alone: it changed after Vantrel installed it"));
    EXPECT_EQ(RestoreCounts(), (std::vector<int>{14, 0, 1}));
    EXPECT_FALSE(fs::exists(game / "Vantrel"));
    EXPECT_TRUE(ShaderInstaller::RestoreSucceeded());

    // A copy that cannot be put back fails the restore and stays recorded.
    Settings& settings = Settings::Instance();
    ASSERT_TRUE(ShaderInstaller::Install());
    WriteText(game / "Vantrel" / "Originals" / "Rain.fx.o", "damaged copy");
    EXPECT_FALSE(ShaderInstaller::Restore());
    EXPECT_FALSE(ShaderInstaller::RestoreSucceeded());
    EXPECT_EQ(ShaderInstaller::Instance().filesNotRestored, std::vector<std::u16string>{u"Rain.fx.o"});
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
    EXPECT_EQ(ReadLogLines(), std::vector<std::string>{"Can't restore TS original files. TS Path is empty"});
}

TEST(ShaderRestore, ShippedEffectsFillTheRestAndTheWeatherPackKeepsItsFiles) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    const fs::path shaders = game / "dev" / "Shaders";
    const fs::path shipped = FsPath(AppPaths.programFolder + u"Data/OriginalShaders");
    const std::vector<std::string> addOnFiles = {
        "TrainPostDPPObjectDiffuse.fx.o", "TrainParticleLit.fx.o", "TrainParticleEmissive.fx.o",
        "TrainParticleDefault.fx.o",      "TrainGlass.fx.o",       "LoftPostDPPTexDiffSpec.fx.o",
        "PostTrainVolumetricFog.fx.o",    "TrainSkyDome.fx.o"};
    Settings& settings = Settings::Instance();
    settings.ShadersVersion = u"1.04";
    WriteText(shaders / "Rain.fx.o", "STOCK rain");
    for (const std::string& f : addOnFiles) WriteText(shaders / f, "ADDON " + f);
    AddWeatherPack(game);
    // A missing shipped folder is an empty one.
    ASSERT_TRUE(ShaderInstaller::Install());
    for (const std::string& f : addOnFiles) WriteText(shipped / f, "SHIPPED " + f);
    for (const std::string f :
         {"TrainGlassWeatherEffects.fx.o", "trainglass.fx.o", "Rain.fx.o", "README.txt", "Nested/Inner.fx.o"})
        WriteText(shipped / f, "SHIPPED " + f);
    WriteText(game / "data" / "SilverLining" / "Silverlining.override", "installed form");

    ASSERT_TRUE(ShaderInstaller::Restore());
    for (const std::string& f : addOnFiles) EXPECT_EQ(ReadText(shaders / f), "ADDON " + f);
    EXPECT_EQ(ReadText(shaders / "Rain.fx.o"), "STOCK rain");  // the record wins
    EXPECT_FALSE(fs::exists(shaders / "DeferredSpot.fx.o"));   // the game had none
    EXPECT_EQ(ReadText(shaders / "TrainGlassWeatherEffects.fx.o"), "SHIPPED TrainGlassWeatherEffects.fx.o");
    EXPECT_EQ(ReadText(shaders / "trainglass.fx.o"), "SHIPPED trainglass.fx.o");
    for (const char* f : {"README.txt", "Nested", "Inner.fx.o"}) EXPECT_FALSE(fs::exists(shaders / f)) << f;
    EXPECT_EQ(ReadText(game / "data" / "SilverLining" / "Silverlining.override"), CrLf(kSkyOverrideBaseBlock));
    EXPECT_FALSE(settings.ShadersInstallOK);
    EXPECT_EQ(settings.ShadersVersion, u"1.04");
    EXPECT_EQ(ReadLogLines().back(), "Done");

    // Without the add-on its files come from the shipped folder; a recorded
    // one waits while the add-on is there.
    fs::remove_all(game / "Assets");
    ASSERT_TRUE(ShaderInstaller::Install());
    AddWeatherPack(game);
    ASSERT_TRUE(ShaderInstaller::Restore());
    EXPECT_TRUE(Installed(shaders / "TrainSkyDome.fx.o"));
    fs::remove_all(game / "Assets");
    ASSERT_TRUE(ShaderInstaller::Restore());
    EXPECT_EQ(ReadText(shaders / "TrainSkyDome.fx.o"), "ADDON TrainSkyDome.fx.o");
    EXPECT_EQ(ReadText(shaders / "TrainParticleLit.fx.o"), "SHIPPED TrainParticleLit.fx.o");
    EXPECT_FALSE(fs::exists(game / "Vantrel"));
}

namespace {
fs::path OverridePath(const fs::path& game) { return game / "data" / "SilverLining" / "Silverlining.override"; }
}  // namespace

TEST(SkyOverride, TheCloudSwitchesChooseTheBlocksAndTheRestoreWritesTheBaseAloneOrNamesWhatIsInTheWay) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    Settings& settings = Settings::Instance();
    WriteText(OverridePath(game), "old user text that must go\n");
    struct Case { bool performance, enhancement; long lines; };
    for (const Case c : {Case{false, false, 48}, Case{true, false, 60}, Case{false, true, 64}, Case{true, true, 76}}) {
        settings.Shader.DynamicCloudsPerformanceFix = c.performance;
        settings.Shader.DynamicCloudsEnhancements = c.enhancement;
        if (c.lines == 76) AddWeatherPack(game);  // which changes nothing here
        WriteSkyOverride(settings);
        const std::string bytes = ReadText(OverridePath(game));
        EXPECT_EQ(bytes, CrLf(std::string(kSkyOverrideBaseBlock) + (c.performance ? kSkyOverridePerformanceBlock : "") +
                              (c.enhancement ? kSkyOverrideEnhancementBlock : "")));
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), c.lines);
    }
    WriteSkyOverrideBaseOnly();
    EXPECT_EQ(ReadText(OverridePath(game)), CrLf(kSkyOverrideBaseBlock));
    const auto log = ReadLogLines();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Tweaked Silverlining file"), 4);
    EXPECT_EQ(log.back(), "Restored original Silverlining file");

    // A missing folder is not made.
    fs::remove_all(game / "data" / "SilverLining");
    WriteSkyOverride(settings);
    EXPECT_FALSE(fs::exists(game / "data" / "SilverLining"));
    EXPECT_EQ(ReadLogLines().back(), "Tweaked Silverlining file");

    // Something that cannot be deleted stands at the path: the restore form
    // leaves it and says so instead of claiming success.
    WriteText(OverridePath(game) / "keep", "x");
    WriteSkyOverrideBaseOnly();
    EXPECT_TRUE(fs::exists(OverridePath(game) / "keep"));
    const std::string last = ReadLogLines().back();
    EXPECT_NE(last.find("Silverlining.override"), std::string::npos) << last;
    EXPECT_NE(last.find("left as it is"), std::string::npos) << last;
}
