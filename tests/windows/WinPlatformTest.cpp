// The Windows platform layer under Wine: registry discovery from the prefix's
// registry, the preference folder under %APPDATA%, processes started with
// CreateProcessW (the stand-in tools are Windows programs here), and the
// C library's words for values that are not numbers.
#include <windows.h>

#include <limits>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Startup.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "shaders/Definitions.h"
#include "tests/support/TestEnv.h"

namespace {

const wchar_t* const kKey = L"SOFTWARE\\WOW6432Node\\railsimulator.com\\railworks";
const char16_t* const kRegisteredGame = u"C:\\Games\\RailWorks";  // written by make_prefix.sh

fs::path CopyTool(const std::string& tool, const fs::path& target) {
    fs::create_directories(target.parent_path());
    fs::copy_file(ToolPath(tool + ".exe"), target, fs::copy_options::overwrite_existing);
    return target;
}

}  // namespace

TEST(WinRegistry, InstallPathFromTheGameKeyBecomesTheGameFolder) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    const RegistryInstallPath found = QueryGameInstallPathFromRegistry();
    EXPECT_TRUE(found.keyOpened);
    ASSERT_TRUE(found.valueRead);
    EXPECT_EQ(WideToUtf8(found.path), WideToUtf8(kRegisteredGame));

    // A registered folder that holds the game becomes TSPath at start-up.
    const fs::path game = FsPath(kRegisteredGame);
    MakeFakeGameFolder(game);
    Settings::Instance() = Settings();
    StartUpDiscoverGame();
    EXPECT_EQ(WideToUtf8(Settings::Instance().TSPath), WideToUtf8(kRegisteredGame));
    EXPECT_TRUE(Logged("Found train simulator install path reg key: C:\\Games\\RailWorks"));
    std::error_code ec;
    fs::remove_all(game, ec);

    // The key without its value: opened, nothing read.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueW(key, L"install_path"), ERROR_SUCCESS);
    const RegistryInstallPath without = QueryGameInstallPathFromRegistry();
    const std::wstring value(reinterpret_cast<const wchar_t*>(kRegisteredGame));
    RegSetValueExW(key, L"install_path", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    EXPECT_TRUE(without.keyOpened);
    EXPECT_FALSE(without.valueRead);
    EXPECT_TRUE(without.path.empty());
}

TEST(WinFolders, SettingsRoundTripUnderRoamingAppData) {
    const char* appData = std::getenv("APPDATA");
    ASSERT_NE(appData, nullptr);
    const std::u16string pref = PlatformPreferenceFolder(), program = PlatformProgramFolder();
    EXPECT_EQ(WideToUtf8(pref), std::string(appData) + "\\Quillstone\\Vantrel\\");
    ASSERT_TRUE(DirectoryExists(pref));
    EXPECT_TRUE(PathExists(program + u"test_win_platform.exe"));  // with its trailing separator

    TempDir tmp;
    UseTempAppPaths(tmp);
    SetAppPaths(pref, AppPaths.programFolder);
    std::error_code ec;
    fs::remove(FsPath(AppPaths.settingsFile), ec);
    Settings& s = Settings::Instance();
    s = Settings();
    s.TSPath = u"D:\\Jeux\\Train Simulator \u00e9t\u00e9";
    s.Language = 2;
    s.HelpIcons = false;
    s.Shader.SSAOIntensity = 1.75f;
    s.Shader.ColorVibrance = -0.5f;
    s.Shader.PointLightColorTint = {0.5f, 0.25f, 1.0f};
    const Settings saved = s;
    s.Save(u"");
    ASSERT_TRUE(fs::exists(FsPath(AppPaths.settingsFile)));
    s = Settings();
    s.Load(u"");
    EXPECT_TRUE(s == saved);
    EXPECT_EQ(WideToUtf8(s.TSPath), WideToUtf8(saved.TSPath));
    fs::remove(FsPath(AppPaths.settingsFile), ec);
}

TEST(WinProcesses, ToolsRunWithTheirExitCodesAndTheGameStartsInItsFolder) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    const fs::path program = FsPath(AppPaths.programFolder);
    CopyTool("fake_fxc", program / "fxc.exe");

    // Found beside the program, with or without the extension.
    const std::u16string located = LocateExecutable(u"fxc.exe");
    EXPECT_EQ(FsPath(located), program / "fxc.exe");
    EXPECT_EQ(FsPath(LocateExecutable(u"fxc")), program / "fxc.exe");
    EXPECT_TRUE(LocateExecutable(u"no-such-tool.exe").empty());

    // A command line the stand-in does not accept gives its exit code back.
    EXPECT_EQ(RunProcessAndWait(located, {u"/nologo"}, AppPaths.programFolder), 2);
    // Each word arrives whole, quoted by the Windows rules; the tool's words come back.
    std::string output;
    EXPECT_EQ(RunProcessAndWait(located, {u"a b", u"say \"hi\"", u"C:\\dir\\", u""}, AppPaths.programFolder, &output), 2);
    EXPECT_NE(ReadText(program / "fxc-calls.txt").find("a b\tsay \"hi\"\tC:\\dir\\\t\t"), std::string::npos);
    EXPECT_NE(output.find("fake_fxc: unexpected command line: 4 arguments"), std::string::npos) << output;
    EXPECT_EQ(RunProcessAndWait(AppPaths.programFolder + u"missing.exe", {}), -1);
    EXPECT_TRUE(Logged("Failed to create shader compiler process"));

    // The game starts in its own folder, from a path with spaces.
    const fs::path game = tmp.path / "Rail Works";
    const fs::path exe = CopyTool("fake_game", game / "RailWorks64.exe");
    ASSERT_TRUE(LaunchProgram(Utf8ToWide(game.string()), Utf8ToWide(exe.string())));
    ASSERT_TRUE(WaitForFile(game / "game-started.txt"));
    EXPECT_EQ(ReadText(game / "game-started.txt").substr(0, game.string().size()), game.string());

    // A path too long for the command line buffer is refused with three lines.
    ClearLog();
    const std::u16string longPath = u"C:\\" + std::u16string(300, u'a') + u"\\RailWorks.exe";
    EXPECT_FALSE(LaunchProgram(u"C:\\", longPath));
    const auto log = ReadLogLines();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "Failed to launch program");
    EXPECT_EQ(log[1], "Directory: C:\\");
}

TEST(WinFormat, NonFiniteDefinitionsAreWrittenAsThisCLibraryPrintsThem) {
    // mingw-w64's printf, linked into the program, writes a NaN of either sign as "nan".
    EXPECT_EQ(FormatFloat(std::numeric_limits<float>::quiet_NaN()), "nan");
    EXPECT_EQ(FormatFloat(-std::numeric_limits<float>::quiet_NaN()), "nan");
    EXPECT_EQ(FormatFloat(-std::numeric_limits<float>::infinity()), "-inf");
}
