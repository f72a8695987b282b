// Starting the game, detached or through Steam, and the weather add-on's marker.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>

#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "game/GameLauncher.h"
#include "game/SteamGame.h"
#include "game/WeatherPack.h"
#include "settings/Settings.h"
#include "tests/support/FakeTools.h"

TEST(LaunchGame, StartsTheBuildDetachedInTheGameFolderAndLogsWhatCannotStart) {
    TempDir root;
    UseTempAppPaths(root);
    Settings& settings = Settings::Instance();
    settings = Settings();
    LaunchGame(GameVariant::Bit32);
    EXPECT_EQ(ReadLogLines(),
              (std::vector<std::string>{"Failed to launch program", "Directory: ", "Path: \\RailWorks.exe"}));

    // The native stand-in beside RailWorks.exe is what runs on Linux.
    ClearLog();
    const fs::path game = root.path / "Rail Works";
    settings.TSPath = MakeFakeGameFolder(game, true, false);
    WriteScript(game, "RailWorks", "pwd > started.tmp && mv started.tmp started.txt\n");
    LaunchGame(GameVariant::Bit32);
    ASSERT_TRUE(WaitForFile(game / "started.txt"));
    EXPECT_EQ(ReadLines(game / "started.txt"), std::vector<std::string>{fs::canonical(game).string()});
    EXPECT_TRUE(ReadLogLines().empty());
    int status = 0;  // not a child of ours: nothing is left to reap
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    LaunchGame(GameVariant::Bit64);
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{"Failed to launch program", "Directory: " + game.string(),
                                                        "Path: " + game.string() + "\\RailWorks64.exe"}));

    ClearLog();
    std::string folder = root.path.string();
    while (folder.size() < 250) folder += "/deeper";
    WriteScript(folder, "RailWorks", "exit 0\n");
    ASSERT_GE(folder.size() + 10, 260u);
    EXPECT_FALSE(LaunchProgram(Utf8ToWide(folder), Utf8ToWide(folder + "/RailWorks")));
    EXPECT_EQ(ReadLogLines().size(), 3u);
}

TEST(LaunchGame, AGameInASteamLibraryIsStartedThroughSteam) {
    TempDir root;
    UseTempAppPaths(root);
    Settings& settings = Settings::Instance();
    settings = Settings();
    const fs::path library = root.path / "Steam Library", game = library / "steamapps" / "common" / "RailWorks";
    settings.TSPath = MakeFakeGameFolder(game);
    WriteScript(game, "RailWorks", "echo started > started.txt\n");
    const fs::path bin = root.path / "bin";
    WriteFakeChooser(bin, "steam", "", 0);
    ScopedPathFirst path(bin);

    // Only a library that holds Steam's manifest of the game counts.
    EXPECT_FALSE(IsInSteamLibrary(settings.TSPath));
    WriteText(library / "steamapps" / "appmanifest_24010.acf", "\"AppState\" { \"appid\" \"24010\" }\n");
    EXPECT_TRUE(IsInSteamLibrary(settings.TSPath));
    EXPECT_TRUE(IsInSteamLibrary(Utf8ToWide(library.string()) + u"\\steamapps\\Common\\RailWorks\\"));
    EXPECT_FALSE(IsInSteamLibrary(Utf8ToWide(library.string()) + u"/steamapps/RailWorks"));
    EXPECT_FALSE(IsInSteamLibrary(u"RailWorks"));

    for (GameVariant variant : {GameVariant::Bit32, GameVariant::Bit64}) {
        ClearLog();
        fs::remove(bin / "steam-args.txt");
        LaunchGame(variant);
        ASSERT_TRUE(WaitForFile(bin / "steam-cwd.txt"));
        EXPECT_EQ(ReadLines(bin / "steam-args.txt"), (std::vector<std::string>{"-applaunch", "24010"}));
        EXPECT_EQ(ReadLogLines(), std::vector<std::string>{"Starting the game through Steam (steam -applaunch 24010); "
                                                           "Steam chooses the 32-bit or 64-bit build"});
        fs::remove(bin / "steam-cwd.txt");
    }
    EXPECT_FALSE(fs::exists(game / "started.txt"));

    // Without Steam the game is started directly.
    fs::remove(bin / "steam");
    LaunchGame(GameVariant::Bit32);
    ASSERT_TRUE(WaitForFile(game / "started.txt"));
    EXPECT_TRUE(Logged("Steam was not found on the search path"));
}

TEST(WeatherPack, SeesTheMarkerOfThisGameFolderAtEveryCall) {
    TempDir root;
    Settings::Instance() = Settings();
    Settings::Instance().TSPath = MakeFakeGameFolder(root.path / "game");
    const fs::path marker = fs::path("Assets") / "AP" / "WeatherEP" / "TrackMarkers" / "Weather" / "weather.bin";
    WriteText(root.path / "other" / marker, "marker");
    EXPECT_FALSE(IsWeatherPackInstalled());
    WriteText(root.path / "game" / marker, "marker");
    EXPECT_TRUE(IsWeatherPackInstalled());
    fs::remove(root.path / "game" / marker);
    EXPECT_FALSE(IsWeatherPackInstalled());
    fs::create_directories(root.path / "game" / marker);
    EXPECT_TRUE(IsWeatherPackInstalled());
}
