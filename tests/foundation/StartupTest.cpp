#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Startup.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "tests/support/FakeTools.h"
#include "tests/support/TestEnv.h"

namespace {
std::u16string Wide(const fs::path& p) { return Utf8ToWide(p.string()); }

// A home folder whose Steam library holds a game folder.
fs::path MakeHomeWithSteamGame(const fs::path& home) {
    const fs::path library = home / "SteamLibrary";
    WriteText(home / ".steam" / "steam" / "steamapps" / "libraryfolders.vdf",
              "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + library.string() + "\"\n\t}\n}\n");
    const fs::path game = library / "steamapps" / "common" / "RailWorks";
    MakeFakeGameFolder(game);
    return game;
}
}  // namespace

TEST(StartUp, FoldersAndAFreshLogUnderThePlatformPreferenceFolder) {
    TempDir tmp;
    ScopedEnv data("XDG_DATA_HOME", (tmp.path / "data").string());
    ScopedEnv home("HOME", (tmp.path / "home").string());
    ASSERT_TRUE(StartUpPaths());
    const std::string pref = WideToUtf8(AppPaths.preferenceFolder);
    EXPECT_EQ(pref.rfind((tmp.path / "data").string(), 0), 0u) << pref;
    EXPECT_NE(pref.find("Vantrel"), std::string::npos);
    EXPECT_EQ(pref.back(), '/');
    EXPECT_TRUE(fs::is_directory(FsPath(AppPaths.preferenceFolder)));
    EXPECT_TRUE(fs::is_directory(FsPath(AppPaths.workFolder)));
    EXPECT_EQ(AppPaths.settingsFile, AppPaths.preferenceFolder + u"settings.xml");

    Log("left from an earlier run");
    ASSERT_TRUE(StartUpPaths());  // a second start begins with an empty log
    EXPECT_TRUE(ReadLogLines().empty());
}

TEST(StartUp, FirstRunCreatesTheSettingsFileWithTheDiscoveredGame) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    const fs::path game = MakeHomeWithSteamGame(tmp.path / "home");
    ScopedEnv home("HOME", (tmp.path / "home").string());

    Settings& settings = Settings::Instance();
    settings = Settings();
    settings.Shader.SSAO = false;
    StartUpDiscoverGame();
    StartUpLoadSettings();

    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{
                                  "Found train simulator install path reg key: " + game.string(),
                                  "Vantrel initialized (version 1.04)",
                                  "Settings file not found. Creating it now...",
                                  "Saving settings...",
                                  "Settings saved",
                              }));
    Settings stored;
    stored.Load(u"");
    EXPECT_EQ(stored.TSPath, Wide(game));
    EXPECT_TRUE(stored.NeedShadersUpdate);
    EXPECT_TRUE(stored.Shader.SSAO);
}

TEST(StartUp, StoredGameFolderIsKeptWhenValidAndRepairedOtherwise) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    Settings& settings = Settings::Instance();

    // Valid: nothing is written at start-up.
    Settings stored;
    stored.TSPath = MakeFakeGameFolder(tmp.path / "game", false, true);  // 64-bit build only
    stored.Save(u"");
    const std::string before = ReadText(tmp.path / "pref" / "settings.xml");
    ClearLog();
    settings = Settings();
    StartUpLoadSettings();
    EXPECT_EQ(settings.TSPath, stored.TSPath);
    EXPECT_EQ(ReadLogLines().back(), "Done...");
    EXPECT_EQ(ReadText(tmp.path / "pref" / "settings.xml"), before);

    // A folder without the game, and an empty path, are reset and saved.
    for (const std::u16string& stale : {Wide(tmp.path / "pref"), std::u16string()}) {
        stored.TSPath = stale;
        stored.Save(u"");
        ClearLog();
        StartUpLoadSettings();
        EXPECT_TRUE(settings.TSPath.empty());
        const auto lines = ReadLogLines();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 3], "TS Path is not valid anymore. Reseting it to empty value...");
        Settings reread;
        reread.TSPath.assign(3, u'x');  // anything non-empty
        reread.Load(u"");
        EXPECT_TRUE(reread.TSPath.empty());
    }
}
