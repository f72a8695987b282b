// Finding the game folder: validity, the Steam libraries of a fake home, and
// the folder choice through a fake zenity / kdialog on PATH.
#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
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
    // The current format: the Steam root as the first library, holding only
    // what an uninstalled game left behind, then a library on another disk
    // (written with a trailing slash).
    MakeFakeGameFolder(home / ".local" / "share" / "Steam" / "steamapps" / "common" / "RailWorks", false, false);
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
    EXPECT_EQ(ReadLogLines(), std::vector<std::string>{"Found train simulator in a Steam library: " + game.string()});
    EXPECT_EQ(settings.Language, 0u);
    EXPECT_FALSE(settings.ShadersInstallOK);
    EXPECT_TRUE(settings.ShadersVersion.empty());
    EXPECT_TRUE(settings.NeedShadersUpdate);
    EXPECT_EQ(settings.Shader, ShaderSettings());
    EXPECT_FALSE(settings.HelpIcons);

    // The older format lists libraries as numbered strings; the root itself
    // is searched as well. Stray braces do not hide a library.
    const fs::path home2 = root.path / "home2";
    const fs::path vdf2 = home2 / ".steam" / "steam" / "steamapps" / "libraryfolders.vdf";
    WriteText(vdf2, "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"1690000000\"\n}\n}\n\t\"1\"\t\t\"" +
                        library.string() + "\"\n}\n");
    EXPECT_EQ(FindGameInSteamLibraries({W(home2 / ".steam" / "steam")}), W(game));
    WriteText(vdf2, "\"libraryfolders\"\n{\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + library.string() + "\"\n\t}\n}\n");
    EXPECT_EQ(FindGameInSteamLibraries({W(home2 / ".steam" / "steam")}), W(game));
    const fs::path rootGame = home2 / ".steam" / "steam" / "steamapps" / "common" / "RailWorks";
    MakeFakeGameFolder(rootGame);
    EXPECT_EQ(FindGameInSteamLibraries({W(home2 / ".local" / "share" / "Steam"), W(home2 / ".steam" / "steam")}),
              W(game));
    // A list of more than 1 MiB is not Steam's: it is not read, and the root is searched.
    ClearLog();
    WriteText(vdf2, "// " + std::string(1 << 20, 'x') + "\n\"1\" \"" + library.string() + "\"\n");
    EXPECT_EQ(FindGameInSteamLibraries({W(home2 / ".steam" / "steam")}), W(rootGame));
    EXPECT_EQ(ReadLogLines(), std::vector<std::string>{"ERROR: Can't read " + vdf2.string() + ": File too large"});
    fs::remove(vdf2);
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

namespace {
// A desktop with only the stand-in choosers written into bin on PATH, and
// the home folder at the root.
struct ChooserDesk {
    TempDir root;
    fs::path bin = MakeBin(root);
    ScopedPathFirst path{bin, false};
    ScopedEnv home{"HOME", root.path.string()};

    static fs::path MakeBin(const TempDir& root) {
        UseTempAppPaths(root);
        fs::create_directories(root.path / "bin");
        return root.path / "bin";
    }
};
}  // namespace

TEST(Choosers, FallBackToKdialogAndReportAMissingTool) {
    ChooserDesk desk;
    const TempDir& root = desk.root;
    const fs::path& bin = desk.bin;

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

TEST(Choosers, SaveDialogAsksBeforeTheAddedExtensionReplacesAFile) {
    ChooserDesk desk;
    const TempDir& root = desk.root;
    const fs::path& bin = desk.bin;
    const fs::path calls = root.path / "calls.txt";
    const fs::path answer = root.path / "answer.txt";
    // Each call is one line of its arguments; the question answers what
    // answer.txt says; the file dialog names "mine" twice, then is cancelled.
    // Shell built-ins only: PATH holds nothing but bin.
    const std::string runs = (root.path / "runs").string();
    const std::string body = "printf '%s|' \"$@\" >> '" + calls.string() + "'; echo >> '" + calls.string() + "'\n" +
                             "case \"$1\" in --question|--warningyesno) read a < '" + answer.string() +
                             "'; exit $a;; esac\n" + "n=0; [ -f '" + runs + "' ] && read n < '" + runs + "'\n" +
                             "n=$((n+1)); echo $n > '" + runs + "'\n" +
                             "[ $n -le 2 ] || exit 1\nprintf '%s\\n' '" + (root.path / "mine").string() + "'\n";
    const auto reset = [&](const std::string& tool, const std::string& reply) {
        std::error_code ec;
        fs::remove(calls, ec);
        fs::remove(root.path / "runs", ec);
        fs::remove(bin / "zenity", ec);
        WriteScript(bin, tool, body);
        WriteText(answer, reply + "\n");
    };
    const std::u16string mineXml = W(root.path / "mine.xml");
    const std::string zenityDialog = "--file-selection|--save|--confirm-overwrite|--title=Export|"
                                     "--file-filter=MOX Preset File (*.xml) | *.xml|--file-filter=All Files (*.*) | *|";
    const std::string question = "A file named \"mine.xml\" already exists. Do you want to replace it?";

    // No such file yet: nothing to ask.
    reset("zenity", "0");
    EXPECT_EQ(SavePresetFileDialog(u"Export"), mineXml);
    EXPECT_EQ(ReadLines(calls), std::vector<std::string>{zenityDialog});

    // The file exists: "yes" keeps the name; "no" brings the dialog back on
    // that name until it is cancelled.
    WriteText(root.path / "mine.xml", "<MOXPreset/>");
    reset("zenity", "0");
    EXPECT_EQ(SavePresetFileDialog(u"Export"), mineXml);
    const std::string zenityQuestion = "--question|--no-markup|--title=Export|--text=" + question + "|";
    EXPECT_EQ(ReadLines(calls), (std::vector<std::string>{zenityDialog, zenityQuestion}));
    reset("zenity", "1");
    EXPECT_TRUE(SavePresetFileDialog(u"Export").empty());
    const std::string again = zenityDialog + "--filename=" + (root.path / "mine.xml").string() + "|";
    EXPECT_EQ(ReadLines(calls), (std::vector<std::string>{zenityDialog, zenityQuestion, again, zenityQuestion, again}));

    reset("kdialog", "0");
    EXPECT_EQ(SavePresetFileDialog(u"Export"), mineXml);
    EXPECT_EQ(ReadLines(calls).back(), "--warningyesno|" + question + "|--title|Export|");
    EXPECT_EQ(ReadText(root.path / "mine.xml"), "<MOXPreset/>");  // the dialogs only choose
}
