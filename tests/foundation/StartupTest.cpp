#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <random>
#include <thread>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Startup.h"
#include "app/Text.h"
#include "settings/Localization.h"
#include "settings/Settings.h"
#include "shaders/ShaderInstaller.h"
#include "tests/support/PipelineTestEnv.h"
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
                                  "Found train simulator in a Steam library: " + game.string(),
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

TEST(StartUp, DataFilesThatAreFoldersAreLoggedAndStartUpEndsNormally) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    const fs::path home = tmp.path / "home";
    const fs::path vdf = home / ".steam" / "steam" / "steamapps" / "libraryfolders.vdf";
    fs::create_directories(vdf);
    fs::create_directories(tmp.path / "program" / "Data" / "Localization.xml");
    fs::create_directories(tmp.path / "pref" / "settings.xml");
    ScopedEnv homeEnv("HOME", home.string());

    Settings::Instance() = Settings();
    StartUpDiscoverGame();
    Localization::Load();  // as the UI host does
    StartUpLoadSettings();
    const std::string settingsFile = (tmp.path / "pref" / "settings.xml").string();
    EXPECT_EQ(ReadLogLines(),
              (std::vector<std::string>{
                  "ERROR: Can't read " + vdf.string() + ": Is a directory",
                  "Unable to find train simulator install path reg key",
                  "Loading localization file...",
                  "ERROR: Can't read " + (tmp.path / "program").string() + "/Data/Localization.xml: Is a directory",
                  "Failed to load localization file",
                  "Vantrel initialized (version 1.04)",
                  "Reading settings...",
                  "ERROR: Can't read " + settingsFile + ": Is a directory",
                  "Done...",
                  "TS Path is not valid anymore. Reseting it to empty value...",
                  "Saving settings...",
                  "ERROR: Can't save " + settingsFile + ": Is a directory",
                  "Failed to save settings",
              }));

    // A game shader that is a folder stops the install with its cause logged.
    TempDir other;
    const fs::path game = SetUpPipeline(other);
    const fs::path shader = game / "dev" / "Shaders" / "DeferredDirectional.fx.o";
    fs::create_directories(shader);
    EXPECT_FALSE(ShaderInstaller::Install());
    EXPECT_TRUE(fs::is_directory(shader));
    const auto lines = ReadLogLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("ERROR: Can't read ", 0) == 0 && line.find("DeferredDirectional.fx.o: Is a directory") != std::string::npos;
    })) << testing::PrintToString(lines);
}

namespace {
// The settings file is the complete output of one save: it parses, ends its
// root and holds all 54 parameters.
bool IsCompleteSettingsFile(const fs::path& file) {
    const std::string text = ReadText(file);
    pugi::xml_document document;
    if (!document.load_string(text.c_str())) return false;
    const pugi::xml_node shaders = document.child("Settings").child("TSXXShaders");
    return text.size() > 20 && text.compare(text.size() - 12, 12, "</Settings>\n") == 0 &&
           std::distance(shaders.begin(), shaders.end()) == 54;
}

// The save loop has written the file at least once (its runs are numbered).
bool SavedByTheLoop(const fs::path& file) {
    const std::string text = ReadText(file);
    const std::string mark = "<ShadersVersion value=\"";
    const size_t at = text.find(mark);
    return at != std::string::npos && at + mark.size() < text.size() && std::isdigit(text[at + mark.size()]);
}

bool HoldsTemporaries(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().find("settings.xml.") != std::string::npos) return true;
    }
    return false;
}
}  // namespace

TEST(StartUp, ASaveKilledAtRandomLeavesACompleteFileAndTheNextStartTidiesUp) {
    TempDir tmp;
    ScopedEnv data("XDG_DATA_HOME", (tmp.path / "data").string());
    ScopedEnv home("HOME", (tmp.path / "home").string());
    ASSERT_TRUE(StartUpPaths());
    const fs::path pref = FsPath(AppPaths.preferenceFolder);

    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, 3000);
    const std::string tool = ToolPath("save_loop").string();
    const std::string folder = pref.string();
    int leftTemporaries = 0;
    for (int run = 0; run < 40; ++run) {
        char* const argv[] = {const_cast<char*>(tool.c_str()), const_cast<char*>(folder.c_str()), nullptr};
        pid_t pid = 0;
        Settings().Save(u"");
        ASSERT_EQ(posix_spawn(&pid, tool.c_str(), nullptr, nullptr, argv, environ), 0);
        // Killed a random moment after its first save, wherever it then is.
        for (int wait = 0; wait < 10000 && !SavedByTheLoop(pref / "settings.xml"); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
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
}
