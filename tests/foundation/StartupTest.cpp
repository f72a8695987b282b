// The entry routine's steps without a window: the preference folder, first
// run (the game found in Steam's libraries) and repair of a stale game folder,
// data files that are folders, and a save killed at random.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cctype>
#include <random>

#include <pugixml.hpp>

#include "app/Log.h"
#include "host/Startup.h"
#include "game/GameFolder.h"
#include "settings/Localization.h"
#include "tests/support/FakeTools.h"
#include "tests/support/PipelineTestEnv.h"

TEST(StartUp, FirstRunStoresTheDiscoveredGameAndALaterStartRepairsAStaleFolder) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    // No registry: Steam's root holds only what an uninstalled game left
    // behind; the second library, on another disk with a UTF-8 name and
    // written with a trailing slash, holds the game.
    const fs::path home = tmp.path / "home", steam = home / ".local" / "share" / "Steam";
    const fs::path vdf = steam / "steamapps" / "libraryfolders.vdf", rootGame = steam / "steamapps/common/RailWorks";
    const fs::path library = tmp.path / "Spiele \xC3\xBC" / "SteamLibrary";
    const fs::path game = library / "steamapps" / "common" / "RailWorks";
    MakeFakeGameFolder(game);
    MakeFakeGameFolder(rootGame, false, false);
    WriteText(vdf,
              "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.string() +
                  "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"1\"\n\t\t}\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" +
                  library.string() + "/\"\n\t\t\"label\"\t\t\"\"\n\t}\n}\n");
    ScopedEnv homeEnv("HOME", home.string());

    // What the discovery starts from is reset, but for the help icons.
    Settings& settings = Settings::Instance();
    settings = Settings();
    settings.Language = 2;
    settings.ShadersInstallOK = true;
    settings.ShadersVersion = u"1.03";
    settings.Shader.SSAO = false;
    settings.HelpIcons = false;
    StartUpDiscoverGame();
    StartUpLoadSettings();
    std::string found = "Found train simulator in a Steam library: " + game.string();
    found.replace(found.find("\xC3\xBC"), 2, "\xFC");  // the log is single-byte
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{found, "Vantrel initialized (version 1.04)",
                                                        "Settings file not found. Creating it now...",
                                                        "Saving settings...", "Settings saved"}));
    Settings stored, expected;
    stored.LoadSettingsFile();
    expected.TSPath = Utf8ToWide(game.string());
    expected.NeedShadersUpdate = true;
    expected.HelpIcons = false;
    EXPECT_TRUE(stored == expected);

    // A later start with the game in place writes nothing.
    const fs::path file = tmp.path / "pref" / "settings.xml";
    const std::string before = ReadText(file);
    ClearLog();
    settings = Settings();
    StartUpLoadSettings();
    EXPECT_EQ(settings.TSPath, stored.TSPath);
    EXPECT_EQ(ReadLogLines().back(), "Done...");
    EXPECT_EQ(ReadText(file), before);

    // The libraries listed come before the root itself, now that it holds the
    // game too. The older format lists them as numbered strings of the root
    // block; stray braces hide none; a list of more than 1 MiB is not Steam's.
    MakeFakeGameFolder(rootGame);
    ClearLog();
    const std::string path = "\"" + library.string() + "\"";
    const std::pair<std::string, fs::path> lists[] = {
        {"\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"1690000000\"\n}\n}\n\t\"1\"\t\t" + path + "\n}\n", game},
        {"{\"libraryfolders\"\n{\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t" + path + "\n\t}\n}\n", game},
        {"// " + std::string(1 << 20, 'x') + "\n\"1\" " + path + "\n", rootGame}};
    for (const auto& [list, holder] : lists) {
        WriteText(vdf, list);
        EXPECT_EQ(FindGameInSteamLibraries({W(steam)}), W(holder));
    }
    EXPECT_EQ(ReadLogLines(), std::vector<std::string>{"ERROR: Can't read " + vdf.string() + ": File too large"});
    fs::remove(vdf);
    EXPECT_EQ(FindGameInSteamLibraries({W(tmp.path / "no steam"), W(steam)}), W(rootGame));

    // Once the game is gone from the folder, the path is reset and saved.
    fs::remove(game / "RailWorks.exe");
    fs::remove(game / "RailWorks64.exe");
    StartUpLoadSettings();
    EXPECT_TRUE(settings.TSPath.empty());
    EXPECT_TRUE(Logged("TS Path is not valid anymore. Reseting it to empty value..."));
    stored.LoadSettingsFile();
    EXPECT_TRUE(stored.TSPath.empty());
}

TEST(StartUp, DataFilesThatAreFoldersAreLoggedAndStartUpEndsNormally) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    const fs::path home = tmp.path / "home";
    const fs::path vdf = home / ".steam" / "steam" / "steamapps" / "libraryfolders.vdf";
    const std::string catalogue = (tmp.path / "program").string() + "/Data/Localization.xml";
    const std::string settingsFile = (tmp.path / "pref" / "settings.xml").string();
    const fs::path kept = tmp.path / "pref" / "settings.unreadable.xml";
    for (const fs::path& file : {vdf, fs::path(catalogue), fs::path(settingsFile)}) fs::create_directories(file);
    ScopedEnv homeEnv("HOME", home.string());

    Settings::Instance() = Settings();
    Settings::Instance().TSPath = u"/stale/folder";  // no Steam at all: left empty
    StartUpDiscoverGame();
    EXPECT_TRUE(Settings::Instance().TSPath.empty());
    Localization::Load();  // as the UI host does
    StartUpLoadSettings();
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{
                                  "ERROR: Can't read " + vdf.string() + ": Is a directory",
                                  "Unable to find train simulator install path reg key",
                                  "Loading localization file...",
                                  "ERROR: Can't read " + catalogue + ": Is a directory",
                                  "Failed to load localization file",
                                  "Vantrel initialized (version 1.04)",
                                  "Reading settings...",
                                  "ERROR: Can't read " + settingsFile + ": Is a directory",
                                  // Set aside like any settings file that cannot be read, so the next save works.
                                  "ERROR: The settings file " + settingsFile + " cannot be read; it was kept as " +
                                      kept.string() + ". Settings it does not give start from their defaults.",
                                  "Done...",
                                  "TS Path is not valid anymore. Reseting it to empty value...",
                                  "Saving settings...",
                                  "Settings saved",
                              }));
    EXPECT_TRUE(fs::is_directory(kept));
}

namespace {
// The complete output of one save: it parses, ends its root and holds all 54 parameters.
bool IsCompleteSettingsFile(const fs::path& file) {
    const std::string text = ReadText(file);
    pugi::xml_document document;
    const pugi::xml_node shaders =
        document.load_string(text.c_str()) ? document.child("Settings").child("TSXXShaders") : pugi::xml_node();
    return text.size() > 20 && text.compare(text.size() - 12, 12, "</Settings>\n") == 0 &&
           std::distance(shaders.begin(), shaders.end()) == 54;
}

bool HoldsTemporaries(const fs::path& folder) {
    const auto names = FileNames(folder);
    return std::any_of(names.begin(), names.end(), [](const auto& n) { return n.find("settings.xml.") != n.npos; });
}
}  // namespace

TEST(StartUp, ASaveKilledAtRandomLeavesACompleteFileAndTheNextStartTidiesUp) {
    TempDir tmp;
    ScopedEnv data("XDG_DATA_HOME", (tmp.path / "data").string());
    ScopedEnv home("HOME", (tmp.path / "home").string());
    ASSERT_TRUE(StartUpPaths());
    const fs::path pref = FsPath(AppPaths.preferenceFolder);
    EXPECT_EQ(pref.string().rfind((tmp.path / "data").string(), 0), 0u) << pref;
    EXPECT_NE(pref.string().find("Vantrel"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(FsPath(AppPaths.workFolder)));
    EXPECT_EQ(AppPaths.settingsFile, AppPaths.preferenceFolder + u"settings.xml");
    Log("left from an earlier run");

    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, 3000);
    const std::string tool = ToolPath("save_loop").string(), folder = pref.string();
    const auto savedByTheLoop = [&] {  // its runs are numbered
        const std::string text = ReadText(pref / "settings.xml"), mark = "<ShadersVersion value=\"";
        const size_t at = text.find(mark);
        return at != std::string::npos && std::isdigit(static_cast<unsigned char>(text[at + mark.size()]));
    };
    int leftTemporaries = 0;
    for (int run = 0; run < 40; ++run) {
        char* const argv[] = {const_cast<char*>(tool.c_str()), const_cast<char*>(folder.c_str()), nullptr};
        pid_t pid = 0;
        Settings().SaveSettingsFile();
        ASSERT_EQ(posix_spawn(&pid, tool.c_str(), nullptr, nullptr, argv, environ), 0);
        // Killed a random moment after its first save, wherever it then is.
        for (int wait = 0; wait < 10000 && !savedByTheLoop(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the save loop ended by itself";
        ASSERT_TRUE(IsCompleteSettingsFile(pref / "settings.xml")) << "after run " << run;
        if (HoldsTemporaries(pref)) ++leftTemporaries;
    }
    // Some kills must have hit a save between its temporary and its rename,
    // or this test proved nothing about the clean-up.
    EXPECT_GT(leftTemporaries, 0);

    ASSERT_TRUE(StartUpPaths());
    EXPECT_FALSE(HoldsTemporaries(pref));
    EXPECT_TRUE(IsCompleteSettingsFile(pref / "settings.xml"));
    EXPECT_TRUE(ReadLogLines().empty());  // every start begins a fresh log
}
