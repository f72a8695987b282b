// Starting the game detached, and the weather add-on's marker.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>

#include "app/Platform.h"
#include "app/Text.h"
#include "game/GameLauncher.h"
#include "game/WeatherPack.h"
#include "settings/Settings.h"
#include "tests/support/FakeTools.h"
#include "tests/support/TestEnv.h"

TEST(LaunchGame, StartsTheBuildDetachedInTheGameFolderAndLogsAMissingOne) {
    TempDir root;
    UseTempAppPaths(root);
    Settings& settings = Settings::Instance();
    settings = Settings();
    const fs::path game = root.path / "Rail Works";
    settings.TSPath = MakeFakeGameFolder(game, true, false);
    // The native stand-in beside RailWorks.exe is what runs on Linux.
    WriteScript(game, "RailWorks", "pwd > started.tmp && mv started.tmp started.txt\n");

    LaunchGame(GameVariant::Bit32);
    ASSERT_TRUE(WaitForFile(game / "started.txt"));
    EXPECT_EQ(ReadLines(game / "started.txt"), std::vector<std::string>{fs::canonical(game).string()});
    EXPECT_TRUE(ReadLogLines().empty());
    // Not a child of ours: nothing is left to reap.
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    LaunchGame(GameVariant::Bit64);
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{"Failed to launch program", "Directory: " + game.string(),
                                                         "Path: " + game.string() + "\\RailWorks64.exe"}));
}

TEST(LaunchGame, EmptyFolderAndOverlongPathFailWithThreeLines) {
    TempDir root;
    UseTempAppPaths(root);
    Settings::Instance() = Settings();
    LaunchGame(GameVariant::Bit32);
    EXPECT_EQ(ReadLogLines(),
              (std::vector<std::string>{"Failed to launch program", "Directory: ", "Path: \\RailWorks.exe"}));

    UseTempAppPaths(root);
    std::string folder = root.path.string();
    while (folder.size() < 250) folder += "/deeper";
    fs::create_directories(folder);
    WriteScript(folder, "RailWorks", "exit 0\n");
    const std::string path = folder + "/RailWorks";
    ASSERT_GE(path.size(), 260u);
    EXPECT_FALSE(LaunchProgram(Utf8ToWide(folder), Utf8ToWide(path)));
    EXPECT_EQ(ReadLogLines().size(), 3u);
}

TEST(WeatherPack, SeesTheMarkerOfThisGameFolderAtEveryCall) {
    TempDir root;
    Settings& settings = Settings::Instance();
    settings = Settings();
    settings.TSPath = MakeFakeGameFolder(root.path / "game");
    const fs::path other = root.path / "other";
    MakeFakeGameFolder(other);
    const fs::path relative = fs::path("Assets") / "AP" / "WeatherEP" / "TrackMarkers" / "Weather" / "weather.bin";
    WriteText(other / relative, "marker");
    EXPECT_FALSE(IsWeatherPackInstalled());

    WriteText(root.path / "game" / relative, "marker");
    EXPECT_TRUE(IsWeatherPackInstalled());
    fs::remove(root.path / "game" / relative);
    EXPECT_FALSE(IsWeatherPackInstalled());
    fs::create_directories(root.path / "game" / relative);
    EXPECT_TRUE(IsWeatherPackInstalled());
}
