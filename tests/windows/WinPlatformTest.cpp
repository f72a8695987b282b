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
#include "host/Startup.h"
#include "settings/Settings.h"
#include "shaders/Definitions.h"
#include "tests/support/TestEnv.h"

namespace {
const wchar_t* const kKey = L"SOFTWARE\\WOW6432Node\\railsimulator.com\\railworks";
const char16_t* const kRegisteredGame = u"C:\\Games\\RailWorks";  // written by make_prefix.sh
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
    const std::u16string pref = PlatformPreferenceFolder();
    EXPECT_EQ(WideToUtf8(pref), std::string(appData) + "\\Quillstone\\Vantrel\\");
    ASSERT_TRUE(DirectoryExists(pref));
    EXPECT_TRUE(PathExists(PlatformProgramFolder() + u"test_win_platform.exe"));  // with its trailing separator

    // Every field's way through the file is checked in the foundation tests; here the folder's.
    TempDir tmp;
    UseTempAppPaths(tmp);
    SetAppPaths(pref, AppPaths.programFolder);
    std::error_code ec;
    fs::remove(FsPath(AppPaths.settingsFile), ec);
    Settings saved, read;
    saved.TSPath = u"D:\\Jeux\\Train Simulator \u00e9t\u00e9";
    saved.Shader.PointLightColorTint = {0.5f, 0.25f, 1.0f};
    saved.SaveSettingsFile();
    read.LoadSettingsFile();
    EXPECT_TRUE(read == saved);
    EXPECT_EQ(WideToUtf8(read.TSPath), WideToUtf8(saved.TSPath));
    fs::remove(FsPath(AppPaths.settingsFile), ec);
}

TEST(WinProcesses, ToolsRunWithTheirExitCodesAndTheGameStartsInItsFolder) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    const fs::path program = FsPath(AppPaths.programFolder);
    fs::copy_file(ToolPath("fake_fxc.exe"), program / "fxc.exe");

    // Found beside the program, with or without the extension.
    const std::u16string located = LocateExecutable(u"fxc.exe");
    EXPECT_EQ(FsPath(located), program / "fxc.exe");
    EXPECT_EQ(FsPath(LocateExecutable(u"fxc")), program / "fxc.exe");
    EXPECT_TRUE(LocateExecutable(u"no-such-tool.exe").empty());

    // A command line the stand-in does not accept gives its exit code back.
    EXPECT_EQ(RunProcessAndWait(located, {u"/nologo"}, AppPaths.programFolder), 2);
    // Each word arrives whole, quoted by the Windows rules; the tool's words come back.
    std::string output;
    EXPECT_EQ(
        RunProcessAndWait(located, {u"a b", u"say \"hi\"", u"C:\\dir\\", u""}, AppPaths.programFolder, &output), 2);
    EXPECT_NE(ReadText(program / "fxc-calls.txt").find("a b\tsay \"hi\"\tC:\\dir\\\t\t"), std::string::npos);
    EXPECT_NE(output.find("fake_fxc: unexpected command line: 4 arguments"), std::string::npos) << output;
    EXPECT_EQ(RunProcessAndWait(AppPaths.programFolder + u"missing.exe", {}), -1);
    EXPECT_TRUE(Logged("Failed to create shader compiler process"));

    // The game starts in its own folder, from a path with spaces: the stand-in
    // compiler plays it, recording its call in its working folder.
    const fs::path game = tmp.path / "Rail Works";
    fs::create_directories(game);
    fs::copy_file(ToolPath("fake_fxc.exe"), game / "RailWorks64.exe");
    ASSERT_TRUE(LaunchProgram(W(game), W(game / "RailWorks64.exe")));
    ASSERT_TRUE(WaitForFile(game / "fxc-calls.txt"));

    // A path too long for the command line buffer is refused with three lines.
    ClearLog();
    const std::u16string longPath = u"C:\\" + std::u16string(300, u'a') + u"\\RailWorks.exe";
    EXPECT_FALSE(LaunchProgram(u"C:\\", longPath));
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{"Failed to launch program", "Directory: C:\\",
                                                        "Path: " + WideToUtf8(longPath)}));
}

TEST(WinFormat, NonFiniteDefinitionsAreWrittenAsThisCLibraryPrintsThem) {
    // mingw-w64's printf, linked into the program, writes a NaN of either sign as "nan".
    EXPECT_EQ(FormatFloat(std::numeric_limits<float>::quiet_NaN()), "nan");
    EXPECT_EQ(FormatFloat(-std::numeric_limits<float>::quiet_NaN()), "nan");
    EXPECT_EQ(FormatFloat(-std::numeric_limits<float>::infinity()), "-inf");
}
