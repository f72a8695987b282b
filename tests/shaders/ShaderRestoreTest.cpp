// Install and restore end to end through a fake game folder and the stand-in
// compiler: the restore undoes exactly what the installs changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "shaders/EarlierBackups.h"
#include "shaders/ShaderInstaller.h"
#include "shaders/ShaderTemplates.h"
#include "shaders/SkyOverride.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

const std::vector<std::string> kAddOnFiles = {
    "TrainPostDPPObjectDiffuse.fx.o", "TrainParticleLit.fx.o", "TrainParticleEmissive.fx.o",
    "TrainParticleDefault.fx.o",      "TrainGlass.fx.o",       "LoftPostDPPTexDiffSpec.fx.o",
    "PostTrainVolumetricFog.fx.o",    "TrainSkyDome.fx.o"};

fs::path Shipped() { return FsPath(AppPaths.programFolder + u"Data/OriginalShaders"); }

std::vector<std::string> EffectFiles() {
    std::vector<std::string> names;
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.kind == TemplateKind::Effect) names.push_back(WideToUtf8(t.name) + ".fx.o");
    }
    return names;
}

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool Installed(const fs::path& file) { return ReadText(file).rfind("FAKEFXC\n", 0) == 0; }

struct Counts {
    int restored, removed, leftAlone;
    bool operator==(const Counts&) const = default;
};
Counts RestoreCounts() {
    const ShaderInstaller& s = ShaderInstaller::Instance();
    return {s.filesRestored, s.filesRemoved, s.filesLeftAlone};
}

}  // namespace

TEST(ShaderRestore, AnInstallIntoAnEmptyFolderThroughALinkIsUndoneThroughTheRealPath) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    fs::create_directory_symlink(game, root.path / "link");
    Settings& settings = Settings::Instance();
    settings.TSPath = Utf8ToWide((root.path / "link").string());
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(Listing(game / "dev" / "Shaders"), [] {
        auto names = EffectFiles();
        std::sort(names.begin(), names.end());
        return names;
    }());

    settings.TSPath = Utf8ToWide(game.string());
    ASSERT_TRUE(ShaderInstaller::Restore());
    EXPECT_TRUE(fs::is_empty(game / "dev" / "Shaders"));
    EXPECT_FALSE(fs::exists(game / "Vantrel"));
    EXPECT_EQ(RestoreCounts(), (Counts{0, 15, 0}));
    EXPECT_TRUE(Logged("Restored 0 game shader files, removed 15, left 0 alone"));
    EXPECT_FALSE(settings.ShadersInstallOK);
}

TEST(ShaderRestore, GameUpdatesAndOtherToolsWinOverWhatTheInstallRecorded) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    const fs::path shaders = game / "dev" / "Shaders";
    for (const std::string& f : EffectFiles()) WriteText(shaders / f, "STOCK 1 " + f);
    ASSERT_TRUE(ShaderInstaller::Install());

    // A game update between two installs: its file is the one to restore.
    WriteText(shaders / "Rain.fx.o", "STOCK 2 Rain.fx.o");
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_TRUE(Installed(shaders / "Rain.fx.o"));
    EXPECT_TRUE(Logged("Backed up the game's Rain.fx.o again: it changed since Vantrel installed it"));
    const auto log = ReadLogLines();
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.find("Backed up") == 0; }), 1);

    // Another tool replaces a file after the install: it stays.
    WriteText(shaders / "DeferredSpot.fx.o", "OTHER TOOL");
    ASSERT_TRUE(ShaderInstaller::Restore());
    for (const std::string& f : EffectFiles()) {
        const std::string expected = f == "Rain.fx.o"           ? "STOCK 2 Rain.fx.o"
                                     : f == "DeferredSpot.fx.o" ? "OTHER TOOL"
                                                                : "STOCK 1 " + f;
        EXPECT_EQ(ReadText(shaders / f), expected);
    }
    EXPECT_TRUE(Logged("Left DeferredSpot.fx.o alone: it changed after Vantrel installed it"));
    EXPECT_EQ(RestoreCounts(), (Counts{14, 0, 1}));
    EXPECT_FALSE(fs::exists(game / "Vantrel"));
    EXPECT_TRUE(ShaderInstaller::RestoreSucceeded());
}

TEST(ShaderRestore, ShippedEffectsFillTheRestAndTheWeatherPackKeepsItsFiles) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    const fs::path shaders = game / "dev" / "Shaders";
    Settings& settings = Settings::Instance();
    settings.ShadersVersion = u"1.04";
    WriteText(shaders / "Rain.fx.o", "STOCK rain");
    for (const std::string& f : kAddOnFiles) WriteText(shaders / f, "ADDON " + f);
    AddWeatherPack(game);
    // A missing shipped folder is an empty one.
    ASSERT_TRUE(ShaderInstaller::Install());
    for (const std::string& f : kAddOnFiles) WriteText(Shipped() / f, "SHIPPED " + f);
    for (const char* f :
         {"TrainGlassWeatherEffects.fx.o", "trainglass.fx.o", "Rain.fx.o", "README.txt", "Nested/Inner.fx.o"}) {
        WriteText(Shipped() / f, std::string("SHIPPED ") + f);
    }
    WriteText(game / "data" / "SilverLining" / "Silverlining.override", "installed form");

    ASSERT_TRUE(ShaderInstaller::Restore());
    for (const std::string& f : kAddOnFiles) EXPECT_EQ(ReadText(shaders / f), "ADDON " + f);
    EXPECT_EQ(ReadText(shaders / "Rain.fx.o"), "STOCK rain");  // the record wins
    EXPECT_FALSE(fs::exists(shaders / "DeferredSpot.fx.o"));   // the game had none
    EXPECT_EQ(ReadText(shaders / "TrainGlassWeatherEffects.fx.o"), "SHIPPED TrainGlassWeatherEffects.fx.o");
    EXPECT_EQ(ReadText(shaders / "trainglass.fx.o"), "SHIPPED trainglass.fx.o");
    EXPECT_FALSE(fs::exists(shaders / "README.txt"));
    EXPECT_FALSE(fs::exists(shaders / "Nested"));
    EXPECT_FALSE(fs::exists(shaders / "Inner.fx.o"));
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

TEST(ShaderRestore, BackupsOfTheEarlierReleaseBecomeTheOriginals) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    const fs::path shaders = game / "dev" / "Shaders";
    const std::u16string gamePath = Settings::Instance().TSPath;
    // What the earlier release left: its output in the game, the game's files in its backups.
    auto earlierRelease = [&] {
        const fs::path backups = FsPath(EarlierBackupFolder(gamePath));
        for (const char* f : {"Rain.fx.o", "ProcFlora.fx.o"}) {
            WriteText(shaders / f, std::string("OLD ENHANCED ") + f);
            WriteText(backups / f, std::string("STOCK ") + f);
        }
        WriteText(backups / "GameFolder.txt", "note");
        return backups;
    };

    // Restored directly by this release.
    fs::path backups = earlierRelease();
    ASSERT_TRUE(ShaderInstaller::Restore());
    EXPECT_EQ(ReadText(shaders / "Rain.fx.o"), "STOCK Rain.fx.o");
    EXPECT_EQ(ReadText(shaders / "ProcFlora.fx.o"), "STOCK ProcFlora.fx.o");
    EXPECT_FALSE(fs::exists(FsPath(AppPaths.preferenceFolder + u"Backups")));

    // Installed over, then restored: never the earlier output as the original.
    backups = earlierRelease();
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_TRUE(Logged("Took the earlier backup " + WideToUtf8(EarlierBackupFolder(gamePath)) +
                       "Rain.fx.o as the game's own Rain.fx.o"));
    EXPECT_FALSE(fs::exists(backups));
    EXPECT_TRUE(Installed(shaders / "Rain.fx.o"));
    ASSERT_TRUE(ShaderInstaller::Restore());
    EXPECT_EQ(ReadText(shaders / "Rain.fx.o"), "STOCK Rain.fx.o");
    EXPECT_EQ(ReadText(shaders / "ProcFlora.fx.o"), "STOCK ProcFlora.fx.o");
    EXPECT_EQ(RestoreCounts(), (Counts{2, 13, 0}));
}

TEST(ShaderRestore, AFileThatCannotBePutBackFailsTheRestoreAndIsNamed) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    const fs::path shaders = game / "dev" / "Shaders";
    Settings& settings = Settings::Instance();
    for (const std::string& f : EffectFiles()) WriteText(shaders / f, "STOCK " + f);
    ASSERT_TRUE(ShaderInstaller::Install());
    WriteText(game / "Vantrel" / "Originals" / "Rain.fx.o", "damaged copy");

    EXPECT_FALSE(ShaderInstaller::Restore());
    EXPECT_FALSE(ShaderInstaller::RestoreSucceeded());
    EXPECT_EQ(ShaderInstaller::Instance().filesNotRestored, std::vector<std::u16string>{u"Rain.fx.o"});
    EXPECT_TRUE(Installed(shaders / "Rain.fx.o"));
    EXPECT_EQ(ReadText(shaders / "ProcFlora.fx.o"), "STOCK ProcFlora.fx.o");
    EXPECT_TRUE(settings.ShadersInstallOK);  // still partly installed
    // The file stays recorded, so a later restore can still put it back.
    WriteText(game / "Vantrel" / "Originals" / "Rain.fx.o", "STOCK Rain.fx.o");
    EXPECT_TRUE(ShaderInstaller::Restore());
    EXPECT_EQ(ReadText(shaders / "Rain.fx.o"), "STOCK Rain.fx.o");
    EXPECT_EQ(RestoreCounts(), (Counts{1, 0, 0}));

    settings.TSPath.clear();
    ClearLog();
    EXPECT_FALSE(ShaderInstaller::Restore());
    EXPECT_EQ(ReadLogLines(), std::vector<std::string>{"Can't restore TS original files. TS Path is empty"});
}
