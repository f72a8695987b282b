// The game folder: validity, the folder and file choosers through a fake
// zenity or kdialog on PATH, and the weather add-on's marker in the chosen
// folder. Steam's libraries are found at start-up (foundation/StartupTest.cpp).

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Platform.h"
#include "game/GameFolder.h"
#include "game/WeatherPack.h"
#include "settings/Settings.h"
#include "tests/support/FakeTools.h"

TEST(FolderChoice, AcceptsAValidFolderRejectsAnInvalidOneIgnoresCancelAndFindsTheWeatherAddOnThere) {
    TempDir root;
    UseTempAppPaths(root);
    const fs::path bin = root.path / "bin";
    ScopedPathFirst path(bin);
    Settings& settings = Settings::Instance();
    settings = Settings();

    // A folder with either build of the game is one.
    const std::u16string game = MakeFakeGameFolder(root.path / "Rail Works", false, true);
    EXPECT_TRUE(IsValidGamePath(game));
    EXPECT_TRUE(IsValidGamePath(MakeFakeGameFolder(root.path / "only32", true, false)));
    EXPECT_FALSE(IsValidGamePath(MakeFakeGameFolder(root.path / "NotTheGame", false, false)));
    EXPECT_FALSE(IsValidGamePath(W(root.path / "missing")));
    EXPECT_FALSE(IsValidGamePath(u""));

    // Valid: becomes TSPath and is saved; the chooser opens on no folder while TSPath is empty.
    WriteFakeChooser(bin, "zenity", (root.path / "Rail Works").string() + "/", 0);
    EXPECT_EQ(ChooseGameFolder(), FolderChoice::Accepted);
    EXPECT_EQ(settings.TSPath, game);
    EXPECT_EQ(ReadLines(bin / "zenity-args.txt"),
              (std::vector<std::string>{"--file-selection", "--directory",
                                        "--title=Please select the directory where TS is currently installed:"}));
    const std::string saved = ReadText(FsPath(AppPaths.settingsFile));
    EXPECT_NE(saved.find("Rail Works"), std::string::npos);

    // Invalid, then cancelled (zenity exits 1, even with output): TSPath, the
    // file and the log stay.
    const size_t logLines = ReadLogLines().size();
    WriteFakeChooser(bin, "zenity", (root.path / "NotTheGame").string(), 0);
    EXPECT_EQ(ChooseGameFolder(), FolderChoice::Rejected);
    EXPECT_EQ(ReadLines(bin / "zenity-args.txt").back(), "--filename=" + (root.path / "Rail Works").string() + "/");
    WriteFakeChooser(bin, "zenity", (root.path / "NotTheGame").string(), 1);
    EXPECT_EQ(ChooseGameFolder(), FolderChoice::Cancelled);
    EXPECT_EQ(settings.TSPath, game);
    EXPECT_EQ(ReadText(FsPath(AppPaths.settingsFile)), saved);
    EXPECT_EQ(ReadLogLines().size(), logLines);

    // The weather add-on's marker is looked for in this game folder, at every call.
    const fs::path marker = fs::path("Assets") / "AP" / "WeatherEP" / "TrackMarkers" / "Weather" / "weather.bin";
    WriteText(root.path / "only32" / marker, "marker");
    EXPECT_FALSE(IsWeatherPackInstalled());
    WriteText(root.path / "Rail Works" / marker, "marker");
    EXPECT_TRUE(IsWeatherPackInstalled());
    fs::remove(root.path / "Rail Works" / marker);
    EXPECT_FALSE(IsWeatherPackInstalled());
    fs::create_directories(root.path / "Rail Works" / marker);
    EXPECT_TRUE(IsWeatherPackInstalled());
}

TEST(Choosers, FallBackToKdialogReportAMissingToolAndAskBeforeAnAddedExtensionReplacesAFile) {
    TempDir root;
    UseTempAppPaths(root);
    const fs::path bin = root.path / "bin";
    fs::create_directories(bin);
    ScopedPathFirst path(bin, false);  // only the stand-ins
    ScopedEnv home("HOME", root.path.string());

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
    EXPECT_EQ(
        ReadLines(bin / "zenity-args.txt"),
        (std::vector<std::string>{"--file-selection", "--title=Import", "--file-filter=MOX Preset File (*.xml) | *.xml",
                                  "--file-filter=All Files (*.*) | *"}));

    // A dialog whose calls are one line each of their arguments: the question
    // answers what answer.txt says; the file dialog names "mine" twice, then
    // is cancelled. Shell built-ins only: PATH holds nothing but bin.
    const std::string calls = (root.path / "calls.txt").string(), runs = (root.path / "runs").string();
    const std::string body = "printf '%s|' \"$@\" >> '" + calls + "'; echo >> '" + calls + "'\n" +
                             "case \"$1\" in --question|--warningyesno) read a < '" + (root.path / "answer").string() +
                             "'; exit $a;; esac\nn=0; [ -f '" + runs + "' ] && read n < '" + runs + "'\n" +
                             "n=$((n+1)); echo $n > '" + runs + "'\n[ $n -le 2 ] || exit 1\nprintf '%s\\n' '" +
                             (root.path / "mine").string() + "'\n";
    const auto dialog = [&](const std::string& tool, const std::string& answer) {
        for (const fs::path& file : {fs::path(calls), fs::path(runs), bin / "zenity"}) fs::remove(file);
        WriteScript(bin, tool, body);
        WriteText(root.path / "answer", answer + "\n");
        return SavePresetFileDialog(u"Export");
    };
    const std::string zenity =
        "--file-selection|--save|--confirm-overwrite|--title=Export|"
        "--file-filter=MOX Preset File (*.xml) | *.xml|--file-filter=All Files (*.*) | *|";
    const std::string question = "A file named \"mine.xml\" already exists. Do you want to replace it?";
    const std::string zenityQuestion = "--question|--no-markup|--title=Export|--text=" + question + "|";
    const std::string again = zenity + "--filename=" + (root.path / "mine.xml").string() + "|";
    EXPECT_EQ(dialog("zenity", "0"), W(root.path / "mine.xml"));  // nothing there yet: nothing to ask
    EXPECT_EQ(ReadLines(calls), std::vector<std::string>{zenity});
    WriteText(root.path / "mine.xml", "<MOXPreset/>");
    EXPECT_EQ(dialog("zenity", "0"), W(root.path / "mine.xml"));
    EXPECT_EQ(ReadLines(calls), (std::vector<std::string>{zenity, zenityQuestion}));
    EXPECT_TRUE(dialog("zenity", "1").empty());  // "no" brings the dialog back on that name
    EXPECT_EQ(ReadLines(calls), (std::vector<std::string>{zenity, zenityQuestion, again, zenityQuestion, again}));
    EXPECT_EQ(dialog("kdialog", "0"), W(root.path / "mine.xml"));
    EXPECT_EQ(ReadLines(calls).back(), "--warningyesno|" + question + "|--title|Export|");
    EXPECT_EQ(ReadText(root.path / "mine.xml"), "<MOXPreset/>");  // the dialogs only choose
}
