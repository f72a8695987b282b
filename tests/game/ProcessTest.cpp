// Running tools: the Windows command line, its words on Linux, native
// siblings of ".exe" names, wine for the rest, exit codes and failures.
#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "app/CommandLine.h"
#include "app/FileProbes.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "tests/support/FakeTools.h"
#include "tests/support/TestEnv.h"

namespace {

std::u16string W(const std::string& text) { return Utf8ToWide(text); }

// A tool that writes its arguments, one a line, to args.txt beside itself and
// its working folder to cwd.txt, then exits with the given code.
fs::path WriteRecordingTool(const fs::path& folder, const std::string& name, int exitCode) {
    const std::string out = (folder / (name + "-args.txt")).string();
    const std::string cwd = (folder / (name + "-cwd.txt")).string();
    return WriteScript(folder, name,
                       ": > '" + out + "'\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + out +
                           "'; done\npwd > '" + cwd + "'\nexit " + std::to_string(exitCode) + "\n");
}

}  // namespace

TEST(CommandLine, BuildsQuotedProgramAndVerbatimArguments) {
    EXPECT_EQ(BuildCommandLine(u"C:\\Tools\\fxc.exe", {u"/nologo", u"/O3"}), u"\"C:\\Tools\\fxc.exe\" /nologo /O3");
    EXPECT_EQ(BuildCommandLine(u"fxc.exe", {}), u"\"fxc.exe\"");
    EXPECT_EQ(BuildCommandLine(u"fxc.exe", {u"/Gec ", u"/T ", u"fx_2_0 ", u"/nologo ", u"/O3 ", u"/Fo ",
                                            u"\"temp\\Rain.fx.o\" \"temp\\Rain.fx\""}),
              u"\"fxc.exe\" /Gec  /T  fx_2_0  /nologo  /O3  /Fo  \"temp\\Rain.fx.o\" \"temp\\Rain.fx\"");
}

TEST(CommandLine, SplitsWithWindowsRules) {
    using Words = std::vector<std::u16string>;
    EXPECT_EQ(SplitCommandLine(u"\"fxc.exe\" /Gec  /T  fx_2_0  /Fo  \"temp\\Rain.fx.o\" \"temp\\Rain.fx\""),
              (Words{u"fxc.exe", u"/Gec", u"/T", u"fx_2_0", u"/Fo", u"temp\\Rain.fx.o", u"temp\\Rain.fx"}));
    // The program keeps a trailing backslash; in arguments 2n / 2n+1
    // backslashes before a quote halve, and "" inside quotes is a quote.
    EXPECT_EQ(SplitCommandLine(u"\"C:\\a b\\\" x\\\\\"y z\" a\\\"b \"he said \"\"hi\"\"\" c:\\dir\\ \"\""),
              (Words{u"C:\\a b\\", u"x\\y z", u"a\"b", u"he said \"hi\"", u"c:\\dir\\", u""}));
    EXPECT_EQ(SplitCommandLine(u"   "), Words{});
    EXPECT_EQ(SplitCommandLine(u"tool\targ"), (Words{u"tool", u"arg"}));
}

TEST(RunProcessAndWait, ChildSeesTheWindowsWordsAndReturnsItsExitCode) {
    TempDir root;
    UseTempAppPaths(root);
    const fs::path tool = WriteRecordingTool(root.path, "tool", 7);

    const int code = RunProcessAndWait(W(tool.string()), {u"/Gec ", u"/T ", u"\"temp\\My Rain.fx.o\" \"temp\\Rain.fx\""},
                                       W(root.path.string()));
    EXPECT_EQ(code, 7);
    EXPECT_EQ(ReadLines(root.path / "tool-args.txt"),
              (std::vector<std::string>{"/Gec", "/T", "temp\\My Rain.fx.o", "temp\\Rain.fx"}));
    EXPECT_EQ(ReadLines(root.path / "tool-cwd.txt"), std::vector<std::string>{fs::canonical(root.path).string()});

    const fs::path quiet = WriteRecordingTool(root.path, "quiet", 0);
    EXPECT_EQ(RunProcessAndWait(W(quiet.string()), {}), 0);
    EXPECT_TRUE(ReadLines(root.path / "quiet-args.txt").empty());
    EXPECT_TRUE(ReadLogLines().empty());
}

TEST(RunProcessAndWait, ProgramThatCannotStartGivesMinusOneAndOneLogLine) {
    TempDir root;
    UseTempAppPaths(root);
    ScopedPathFirst onlyEmpty(root.path / "empty-bin", false);
    fs::create_directories(root.path / "empty-bin");

    EXPECT_EQ(RunProcessAndWait(W((root.path / "missing-tool").string()), {u"/nologo"}), -1);
    WriteText(root.path / "not-executable", "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(RunProcessAndWait(W((root.path / "not-executable").string()), {}), -1);
    // A Windows program with no native sibling and no wine on PATH.
    WriteText(root.path / "serz.exe", "MZ");
    EXPECT_EQ(RunProcessAndWait(W((root.path / "serz.exe").string()), {}), -1);
    EXPECT_EQ(RunProcessAndWait(u"nosuchtool.exe", {}), -1);

    EXPECT_EQ(ReadLogLines(), std::vector<std::string>(4, "Failed to create shader compiler process"));
}

TEST(RunProcessAndWait, ExeNamesRunTheirNativeSiblingOrGoThroughWine) {
    TempDir root;
    UseTempAppPaths(root);
    const fs::path bin = root.path / "bin";
    fs::create_directories(bin);
    ScopedPathFirst path(bin, false);

    // A path: the native "serz" beside "serz.exe" is run, backslashes and all.
    fs::create_directories(root.path / "game");
    WriteText(root.path / "game" / "serz.exe", "MZ");
    WriteRecordingTool(root.path / "game", "serz", 0);
    const std::u16string game = W((root.path / "game").string());
    EXPECT_EQ(RunProcessAndWait(game + u"\\serz.exe", {u"\"" + game + u"\\Content\\PlayerProfiles.bin\""}), 0);
    EXPECT_EQ(ReadLines(root.path / "game" / "serz-args.txt"),
              std::vector<std::string>{(root.path / "game").string() + "\\Content\\PlayerProfiles.bin"});

    // A bare name: beside the program first, then PATH.
    WriteRecordingTool(FsPath(AppPaths.programFolder), "fxc", 2);
    WriteRecordingTool(bin, "fxc", 5);
    EXPECT_EQ(RunProcessAndWait(u"fxc.exe", {u"/nologo "}), 2);
    EXPECT_EQ(RunProcessAndWait(u"fxc", {}), 2);

    // No native sibling: wine from PATH runs it, absolute paths in Wine's form,
    // switches untouched.
    WriteRecordingTool(bin, "wine", 4);
    WriteText(root.path / "game" / "Tool.exe", "MZ");
    const std::u16string profile = game + u"\\Content\\PlayerProfiles.bin";
    EXPECT_EQ(RunProcessAndWait(game + u"\\Tool.exe", {u"/Gec ", u"\"" + profile + u"\"", u"temp\\Rain.fx"}), 4);
    std::string wineProfile = "Z:" + (root.path / "game").string() + "\\Content\\PlayerProfiles.bin";
    for (char& c : wineProfile) {
        if (c == '/') c = '\\';
    }
    EXPECT_EQ(ReadLines(bin / "wine-args.txt"),
              (std::vector<std::string>{(root.path / "game" / "Tool.exe").string(), "/Gec", wineProfile,
                                        "temp\\Rain.fx"}));
    EXPECT_TRUE(ReadLogLines().empty());
}
