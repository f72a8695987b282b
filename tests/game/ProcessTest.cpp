// Running tools and the game: the Windows command line, whole words and
// captured output on Linux, native siblings of ".exe" names, wine for the
// rest, failures, and the game started detached or through Steam.
#include <sys/wait.h>

#include <cerrno>

#include "app/AppPaths.h"
#include "app/CommandLine.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "game/GameLauncher.h"
#include "game/SteamGame.h"
#include "settings/Settings.h"
#include "tests/support/FakeTools.h"

TEST(CommandLine, QuotesOnlyWhatTheWindowsRulesNeed) {
    EXPECT_EQ(BuildCommandLine(u"C:\\Tools\\fxc.exe", {u"/nologo", u"temp\\Rain.fx"}),
              u"\"C:\\Tools\\fxc.exe\" /nologo temp\\Rain.fx");
    // Spaces and quotes are grouped; backslashes double only before a quote.
    EXPECT_EQ(BuildCommandLine(u"serz.exe", {u"C:\\My Game\\", u"", u"say \"hi\"", u"a\\\"b", u"c:\\dir\\x"}),
              u"\"serz.exe\" \"C:\\My Game\\\\\" \"\" \"say \\\"hi\\\"\" \"a\\\\\\\"b\" c:\\dir\\x");
}

TEST(RunProcessAndWait, ChildGetsEachWordWholeExeNamesRunTheirNativeSiblingOrWineAndFailuresAreNamed) {
    TempDir root;
    UseTempAppPaths(root);
    const fs::path bin = root.path / "bin", game = root.path / "game";
    fs::create_directories(bin);
    ScopedPathFirst path(bin, false);
    const fs::path tool = WriteFakeChooser(root.path, "tool", "", 7);
    EXPECT_EQ(
        RunProcessAndWait(W(tool), {u"/Gec", u"temp\\My Rain.fx.o", u"a \"quoted\" word", u"it's", u""}, W(root.path)),
        7);
    EXPECT_EQ(ReadLines(root.path / "tool-args.txt"),
              (std::vector<std::string>{"/Gec", "temp\\My Rain.fx.o", "a \"quoted\" word", "it's", ""}));
    EXPECT_EQ(ReadLines(root.path / "tool-cwd.txt"), std::vector<std::string>{fs::canonical(root.path).string()});
    EXPECT_EQ(RunProcessAndWait(W(WriteFakeChooser(root.path, "quiet", "", 0)), {}), 0);
    EXPECT_TRUE(ReadLines(root.path / "quiet-args.txt").empty());

    // Standard output and error in the order written; nothing is read from input.
    const fs::path talker =
        WriteScript(root.path, "talker", "echo out one\necho err two >&2\nread x && echo got input\nexit 3\n");
    std::string output;
    EXPECT_EQ(RunProcessAndWait(W(talker), {}, u"", &output), 3);
    EXPECT_EQ(output, "out one\nerr two\n");

    // A path: the native "serz" beside "serz.exe" is run, backslashes and all.
    WriteText(game / "serz.exe", "MZ");
    WriteFakeChooser(game, "serz", "", 0);
    const std::u16string profile = W(game) + u"\\Content\\PlayerProfiles.bin";
    EXPECT_EQ(RunProcessAndWait(W(game) + u"\\serz.exe", {profile}), 0);
    EXPECT_EQ(ReadLines(game / "serz-args.txt"),
              std::vector<std::string>{game.string() + "\\Content\\PlayerProfiles.bin"});

    // A bare name: beside the program first, then PATH.
    WriteFakeChooser(FsPath(AppPaths.programFolder), "fxc", "", 2);
    WriteFakeChooser(bin, "fxc", "", 5);
    EXPECT_EQ(RunProcessAndWait(u"fxc.exe", {u"/nologo"}), 2);
    EXPECT_EQ(RunProcessAndWait(u"fxc", {}), 2);

    // No native sibling: wine from PATH runs it, absolute paths in Wine's
    // form, switches untouched.
    WriteFakeChooser(bin, "wine", "", 4);
    WriteText(game / "Tool.exe", "MZ");
    EXPECT_EQ(RunProcessAndWait(W(game) + u"\\Tool.exe", {u"/Gec", profile, u"temp\\Rain.fx"}), 4);
    std::string wineProfile = "Z:" + game.string() + "\\Content\\PlayerProfiles.bin";
    for (char& c : wineProfile) c = c == '/' ? '\\' : c;
    EXPECT_EQ(ReadLines(bin / "wine-args.txt"),
              (std::vector<std::string>{(game / "Tool.exe").string(), "/Gec", wineProfile, "temp\\Rain.fx"}));
    EXPECT_TRUE(ReadLogLines().empty());

    // Programs that cannot start; a Windows program with no native sibling
    // and no wine on PATH names the missing wine.
    fs::remove(bin / "wine");
    EXPECT_EQ(RunProcessAndWait(W(root.path / "missing-tool"), {u"/nologo"}), -1);
    WriteText(root.path / "not-executable", "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(RunProcessAndWait(W(root.path / "not-executable"), {}), -1);
    WriteText(root.path / "serz.exe", "MZ");
    EXPECT_EQ(RunProcessAndWait(W(root.path / "serz.exe"), {}), -1);
    EXPECT_EQ(RunProcessAndWait(u"nosuchtool.exe", {}), -1);
    const std::string failed = "Failed to create shader compiler process";
    const std::string noWine = "wine was not found on the search path (PATH); it is needed to run the Windows "
                               "program " + (root.path / "serz.exe").string();
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{failed, failed, noWine, failed, failed}));
}

TEST(LaunchGame, StartsTheBuildDetachedInTheGameFolderOrThroughSteamAndLogsWhatCannotStart) {
    TempDir root;
    UseTempAppPaths(root);
    Settings& settings = Settings::Instance();
    settings = Settings();
    LaunchGame(GameVariant::Bit32);
    EXPECT_EQ(ReadLogLines(),
              (std::vector<std::string>{"Failed to launch program", "Directory: ", "Path: \\RailWorks.exe"}));

    // The native stand-in beside RailWorks.exe is what runs on Linux.
    ClearLog();
    const fs::path library = root.path / "Steam Library", game = library / "steamapps" / "common" / "RailWorks";
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

    // Only a library that holds Steam's manifest of the game counts; its game is started through Steam.
    const fs::path bin = root.path / "bin";
    WriteFakeChooser(bin, "steam", "", 0);
    ScopedPathFirst path(bin);
    fs::remove(game / "started.txt");
    EXPECT_FALSE(IsInSteamLibrary(settings.TSPath));
    WriteText(library / "steamapps" / "appmanifest_24010.acf", "\"AppState\" { \"appid\" \"24010\" }\n");
    EXPECT_TRUE(IsInSteamLibrary(settings.TSPath));
    EXPECT_TRUE(IsInSteamLibrary(W(library) + u"\\steamapps\\Common\\RailWorks\\"));
    EXPECT_FALSE(IsInSteamLibrary(W(library) + u"/steamapps/RailWorks"));
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
