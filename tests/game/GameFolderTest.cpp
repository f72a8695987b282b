// Finding the game folder: validity, the Steam libraries of a fake home, and
// the folder choice through a fake zenity / kdialog on PATH.
#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "game/GameFolder.h"
#include "settings/Settings.h"
#include "tests/support/FakeTools.h"
#include "tests/support/TestEnv.h"

namespace {

std::u16string W(const fs::path& path) { return Utf8ToWide(path.string()); }

void ResetSettings() {
    Settings& settings = Settings::Instance();
    settings = Settings();
}

}  // namespace

TEST(GameFolder, ValidWithEitherExecutable) {
    TempDir root;
    EXPECT_TRUE(IsValidGamePath(MakeFakeGameFolder(root.path / "both")));
    EXPECT_TRUE(IsValidGamePath(MakeFakeGameFolder(root.path / "only64", false, true)));
    EXPECT_TRUE(IsValidGamePath(MakeFakeGameFolder(root.path / "only32", true, false)));
    EXPECT_FALSE(IsValidGamePath(MakeFakeGameFolder(root.path / "none", false, false)));
    EXPECT_FALSE(IsValidGamePath(W(root.path / "missing")));
    EXPECT_FALSE(IsValidGamePath(u""));
}

TEST(GameDiscovery, FindsTheGameInASteamLibraryOfTheHomeFolder) {
    TempDir root;
    UseTempAppPaths(root);
    ResetSettings();
    const fs::path home = root.path / "home";
    const fs::path library = root.path / "games disk" / "SteamLibrary";
    const fs::path game = library / "steamapps" / "common" / "RailWorks";
    MakeFakeGameFolder(game);
    // The current format: the Steam root without the game as the first
    // library, then a library on another disk (written with a trailing slash).
    WriteText(home / ".local" / "share" / "Steam" / "steamapps" / "libraryfolders.vdf",
              "\"libraryfolders\"\n{\n"
              "\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + (home / ".local" / "share" / "Steam").string() + "\"\n"
              "\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"1\"\n\t\t}\n\t}\n"
              "\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library.string() + "/\"\n\t\t\"label\"\t\t\"\"\n\t}\n}\n");
    ScopedEnv homeEnv("HOME", home.string());

    ASSERT_EQ(SteamRootFolders().size(), 2u);
    EXPECT_EQ(SteamRootFolders()[0], W(home / ".steam" / "steam"));
    EXPECT_EQ(FindGameInSteamLibraries(SteamRootFolders()), W(game));

    Settings& settings = Settings::Instance();
    settings.Language = 2;
    settings.ShadersInstallOK = true;
    settings.ShadersVersion = u"1.04";
    settings.Shader.SSAOIntensity = 7.0f;
    settings.HelpIcons = false;
    DiscoverGameInstallation(settings);
    EXPECT_EQ(settings.TSPath, W(game));
    EXPECT_EQ(ReadLogLines(), std::vector<std::string>{"Found train simulator install path reg key: " + game.string()});
    EXPECT_EQ(settings.Language, 0u);
    EXPECT_FALSE(settings.ShadersInstallOK);
    EXPECT_TRUE(settings.ShadersVersion.empty());
    EXPECT_TRUE(settings.NeedShadersUpdate);
    EXPECT_EQ(settings.Shader, ShaderSettings());
    EXPECT_FALSE(settings.HelpIcons);

    // The older format lists libraries as numbered strings; the root itself
    // is searched as well.
    const fs::path home2 = root.path / "home2";
    WriteText(home2 / ".steam" / "steam" / "steamapps" / "libraryfolders.vdf",
              "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"1690000000\"\n\t\"1\"\t\t\"" + library.string() +
                  "\"\n}\n");
    EXPECT_EQ(FindGameInSteamLibraries({W(home2 / ".steam" / "steam")}), W(game));
    const fs::path rootGame = home2 / ".steam" / "steam" / "steamapps" / "common" / "RailWorks";
    MakeFakeGameFolder(rootGame);
    EXPECT_EQ(FindGameInSteamLibraries({W(home2 / ".local" / "share" / "Steam"), W(home2 / ".steam" / "steam")}),
              W(game));
    fs::remove(home2 / ".steam" / "steam" / "steamapps" / "libraryfolders.vdf");
    EXPECT_EQ(FindGameInSteamLibraries({W(home2 / ".steam" / "steam")}), W(rootGame));
}

TEST(GameDiscovery, NoSteamLibraryLeavesTheFolderEmpty) {
    TempDir root;
    UseTempAppPaths(root);
    ResetSettings();
    ScopedEnv homeEnv("HOME", (root.path / "empty-home").string());
    Settings& settings = Settings::Instance();
    settings.TSPath = u"/stale/folder";
    DiscoverGameInstallation(settings);
    EXPECT_TRUE(settings.TSPath.empty());
    EXPECT_EQ(ReadLogLines(), std::vector<std::string>{"Unable to find train simulator install path reg key"});
}

TEST(FolderChoice, AcceptsAValidFolderRejectsAnInvalidOneAndIgnoresCancel) {
    TempDir root;
    UseTempAppPaths(root);
    ResetSettings();
    const fs::path bin = root.path / "bin";
    fs::create_directories(bin);
    ScopedPathFirst path(bin);
    Settings& settings = Settings::Instance();

    // Valid: becomes TSPath and the settings file is written; the chooser
    // opens on no folder while TSPath is empty.
    const std::u16string game = MakeFakeGameFolder(root.path / "Rail Works", false, true);
    WriteFakeChooser(bin, "zenity", (root.path / "Rail Works").string() + "/", 0);
    EXPECT_EQ(ChooseGameFolder(), FolderChoice::Accepted);
    EXPECT_EQ(settings.TSPath, game);
    EXPECT_TRUE(PathExists(AppPaths.settingsFile));
    EXPECT_EQ(ReadLines(bin / "zenity-args.txt"),
              (std::vector<std::string>{"--file-selection", "--directory",
                                        "--title=Please select the directory where TS is currently installed:"}));

    // Invalid: rejected, TSPath and the settings file unchanged, nothing logged.
    const std::string saved = ReadText(FsPath(AppPaths.settingsFile));
    const size_t logLines = ReadLogLines().size();
    MakeFakeGameFolder(root.path / "NotTheGame", false, false);
    WriteFakeChooser(bin, "zenity", (root.path / "NotTheGame").string(), 0);
    EXPECT_EQ(ChooseGameFolder(), FolderChoice::Rejected);
    EXPECT_EQ(settings.TSPath, game);
    EXPECT_EQ(ReadLines(bin / "zenity-args.txt").back(), "--filename=" + (root.path / "Rail Works").string() + "/");
    EXPECT_EQ(ReadText(FsPath(AppPaths.settingsFile)), saved);
    EXPECT_EQ(ReadLogLines().size(), logLines);

    // Cancelled (zenity exits 1, even with output): nothing changes.
    WriteFakeChooser(bin, "zenity", (root.path / "NotTheGame").string(), 1);
    EXPECT_EQ(ChooseGameFolder(), FolderChoice::Cancelled);
    EXPECT_EQ(settings.TSPath, game);
    EXPECT_EQ(ReadLogLines().size(), logLines);
}

TEST(Choosers, FallBackToKdialogAndReportAMissingTool) {
    TempDir root;
    UseTempAppPaths(root);
    const fs::path bin = root.path / "bin";
    fs::create_directories(bin);
    ScopedPathFirst path(bin, false);
    ScopedEnv homeEnv("HOME", root.path.string());

    EXPECT_TRUE(BrowseForGameFolder("/some/where").empty());
    EXPECT_TRUE(OpenPresetFileDialog(u"Import").empty());
    EXPECT_EQ(ReadLogLines(), std::vector<std::string>(2, "No file chooser available: install zenity or kdialog"));

    WriteFakeChooser(bin, "kdialog", (root.path / "my preset").string(), 0);
    EXPECT_EQ(SavePresetFileDialog(u"Export \u00e9"), W(root.path / "my preset.xml"));
    EXPECT_EQ(ReadLines(bin / "kdialog-args.txt"),
              (std::vector<std::string>{"--getsavefilename", root.path.string(), "*.xml|MOX Preset File (*.xml)",
                                        "*|All Files (*.*)", "--title", "Export \xc3\xa9"}));

    WriteText(root.path / "in.xml", "<MOXPreset/>");
    WriteFakeChooser(bin, "zenity", (root.path / "in.xml").string(), 0);
    EXPECT_EQ(OpenPresetFileDialog(u"Import"), W(root.path / "in.xml"));
    EXPECT_EQ(ReadLines(bin / "zenity-args.txt"),
              (std::vector<std::string>{"--file-selection", "--title=Import",
                                        "--file-filter=MOX Preset File (*.xml) | *.xml",
                                        "--file-filter=All Files (*.*) | *"}));
    WriteFakeChooser(bin, "zenity", (root.path / "out.preset").string(), 0);
    EXPECT_EQ(SavePresetFileDialog(u"Export"), W(root.path / "out.preset"));
    EXPECT_EQ(ReadLines(bin / "zenity-args.txt")[1], "--save");
    EXPECT_EQ(ReadLines(bin / "zenity-args.txt")[2], "--confirm-overwrite");
}
