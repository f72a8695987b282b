#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "settings/Settings.h"
#include "shaders/ShaderBackup.h"
#include "shaders/ShaderInstaller.h"
#include "shaders/SkyOverride.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

const std::vector<std::string> kAddOnFiles = {
    "TrainPostDPPObjectDiffuse.fx.o", "TrainParticleLit.fx.o",   "TrainParticleEmissive.fx.o",
    "TrainParticleDefault.fx.o",      "TrainGlass.fx.o",         "LoftPostDPPTexDiffSpec.fx.o",
    "PostTrainVolumetricFog.fx.o",    "TrainSkyDome.fx.o"};

fs::path Shipped() { return FsPath(AppPaths.programFolder + u"Data/OriginalShaders"); }

}  // namespace

TEST(ShaderRestore, WeatherPackFilesStayAndEverythingElseComesBack) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    const fs::path shaders = game / "dev" / "Shaders";
    Settings& settings = Settings::Instance();
    settings.ShadersInstallOK = true;
    settings.NeedShadersUpdate = true;
    settings.ShadersVersion = u"1.04";

    for (const std::string& f : kAddOnFiles) {
        WriteText(Shipped() / f, "SHIPPED " + f);
        WriteText(shaders / f, "ADDON " + f);
    }
    WriteText(Shipped() / "TrainGlassWeatherEffects.fx.o", "SHIPPED glass weather");
    WriteText(Shipped() / "trainglass.fx.o", "SHIPPED lower case");
    WriteText(Shipped() / "Rain.fx.o", "SHIPPED rain");
    WriteText(Shipped() / "Nested" / "Inner.fx.o", "in a sub-folder");
    // Backups of the game's files: the shipped file wins, add-on files stay excluded.
    WriteText(shaders / "DeferredSpot.fx.o", "STOCK spot");
    WriteText(shaders / "TrainSkyDome.fx.o", "STOCK sky");
    WriteText(shaders / "Rain.fx.o", "STOCK rain");
    for (const char16_t* f : {u"DeferredSpot.fx.o", u"TrainSkyDome.fx.o", u"Rain.fx.o"}) {
        ASSERT_TRUE(BackUpGameShader(settings.TSPath, f));
    }
    WriteText(shaders / "DeferredSpot.fx.o", "ENHANCED spot");
    WriteText(shaders / "TrainSkyDome.fx.o", "ADDON TrainSkyDome.fx.o");
    AddWeatherPack(game);
    WriteText(game / "data" / "SilverLining" / "Silverlining.override", "installed form");

    ASSERT_TRUE(ShaderInstaller::Restore());

    for (const std::string& f : kAddOnFiles) EXPECT_EQ(ReadText(shaders / f), "ADDON " + f);
    EXPECT_EQ(ReadText(shaders / "TrainGlassWeatherEffects.fx.o"), "SHIPPED glass weather");
    EXPECT_EQ(ReadText(shaders / "trainglass.fx.o"), "SHIPPED lower case");
    EXPECT_EQ(ReadText(shaders / "Rain.fx.o"), "SHIPPED rain");
    EXPECT_EQ(ReadText(shaders / "DeferredSpot.fx.o"), "STOCK spot");
    EXPECT_FALSE(fs::exists(shaders / "Nested"));
    EXPECT_FALSE(fs::exists(shaders / "Inner.fx.o"));
    EXPECT_EQ(ReadText(game / "data" / "SilverLining" / "Silverlining.override"), CrLf(kSkyOverrideBaseBlock));
    EXPECT_FALSE(settings.ShadersInstallOK);
    EXPECT_FALSE(settings.NeedShadersUpdate);
    EXPECT_EQ(settings.ShadersVersion, u"1.04");
    EXPECT_TRUE(ShaderInstaller::RestoreSucceeded());
    EXPECT_TRUE(Logged("Restoring TS original files..."));
    EXPECT_TRUE(Logged("Restored original Silverlining file"));
    EXPECT_EQ(ReadLogLines().back(), "Done");

    // Without the add-on its files are restored too, the shipped one first.
    fs::remove_all(game / "Assets");
    ASSERT_TRUE(ShaderInstaller::Restore());
    for (const std::string& f : kAddOnFiles) EXPECT_EQ(ReadText(shaders / f), "SHIPPED " + f);
}

TEST(ShaderRestore, MissingSourceFolderOrGameFolderFails) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    Settings& settings = Settings::Instance();
    settings.ShadersInstallOK = true;
    settings.NeedShadersUpdate = true;
    const fs::path overrideFile = game / "data" / "SilverLining" / "Silverlining.override";
    WriteText(overrideFile, "installed form");
    ShaderInstaller::Instance().restoreOK = true;

    EXPECT_FALSE(ShaderInstaller::Restore());
    EXPECT_FALSE(ShaderInstaller::RestoreSucceeded());
    const std::string last = ReadLogLines().back();
    EXPECT_NE(last.find("OriginalShaders"), std::string::npos) << last;
    EXPECT_EQ(ReadText(overrideFile), "installed form");
    EXPECT_TRUE(settings.ShadersInstallOK);
    EXPECT_TRUE(settings.NeedShadersUpdate);

    // An empty shipped folder is fine: nothing copied, the rest still done.
    fs::create_directories(Shipped());
    EXPECT_TRUE(ShaderInstaller::Restore());
    EXPECT_EQ(ReadText(overrideFile), CrLf(kSkyOverrideBaseBlock));
    EXPECT_FALSE(settings.ShadersInstallOK);

    settings.TSPath.clear();
    ClearLog();
    EXPECT_FALSE(ShaderInstaller::Restore());
    EXPECT_FALSE(ShaderInstaller::RestoreSucceeded());
    EXPECT_EQ(ReadLogLines(), std::vector<std::string>{"Can't restore TS original files. TS Path is empty"});
}
