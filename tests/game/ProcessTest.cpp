// Running tools: the Windows command line, whole words on Linux, native
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

TEST(CommandLine, QuotesOnlyWhatTheWindowsRulesNeed) {
    EXPECT_EQ(BuildCommandLine(u"C:\\Tools\\fxc.exe", {u"/nologo", u"temp\\Rain.fx"}),
              u"\"C:\\Tools\\fxc.exe\" /nologo temp\\Rain.fx");
    // Spaces and quotes are grouped; backslashes double only before a quote.
    EXPECT_EQ(BuildCommandLine(u"serz.exe", {u"C:\\My Game\\", u"", u"say \"hi\"", u"a\\\"b", u"c:\\dir\\x"}),
              u"\"serz.exe\" \"C:\\My Game\\\\\" \"\" \"say \\\"hi\\\"\" \"a\\\\\\\"b\" c:\\dir\\x");
}

TEST(RunProcessAndWait, ChildGetsEachWordWholeAndItsOutputIsCaptured) {
    TempDir root;
    UseTempAppPaths(root);
    const fs::path tool = WriteRecordingTool(root.path, "tool", 7);

    const std::vector<std::u16string> words = {u"/Gec", u"temp\\My Rain.fx.o", u"a \"quoted\" word", u"it's", u""};
    const int code = RunProcessAndWait(W(tool.string()), words, W(root.path.string()));
    EXPECT_EQ(code, 7);
    EXPECT_EQ(ReadLines(root.path / "tool-args.txt"),
              (std::vector<std::string>{"/Gec", "temp\\My Rain.fx.o", "a \"quoted\" word", "it's", ""}));
    EXPECT_EQ(ReadLines(root.path / "tool-cwd.txt"), std::vector<std::string>{fs::canonical(root.path).string()});

    const fs::path quiet = WriteRecordingTool(root.path, "quiet", 0);
    EXPECT_EQ(RunProcessAndWait(W(quiet.string()), {}), 0);
    EXPECT_TRUE(ReadLines(root.path / "quiet-args.txt").empty());
    EXPECT_TRUE(ReadLogLines().empty());

    // Standard output and error, in the order written; nothing is read from input.
    const fs::path talker = WriteScript(root.path, "talker", "echo out one\necho err two >&2\nread x && echo got input\nexit 3\n");
    std::string output;
    EXPECT_EQ(RunProcessAndWait(W(talker.string()), {}, u"", &output), 3);
    EXPECT_EQ(output, "out one\nerr two\n");
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

    const std::string wineMissing = "wine was not found on the search path (PATH); it is needed to run the Windows program " +
                                    (root.path / "serz.exe").string();
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{"Failed to create shader compiler process",
                                                        "Failed to create shader compiler process", wineMissing,
                                                        "Failed to create shader compiler process",
                                                        "Failed to create shader compiler process"}));
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
    EXPECT_EQ(RunProcessAndWait(game + u"\\serz.exe", {game + u"\\Content\\PlayerProfiles.bin"}), 0);
    EXPECT_EQ(ReadLines(root.path / "game" / "serz-args.txt"),
              std::vector<std::string>{(root.path / "game").string() + "\\Content\\PlayerProfiles.bin"});

    // A bare name: beside the program first, then PATH.
    WriteRecordingTool(FsPath(AppPaths.programFolder), "fxc", 2);
    WriteRecordingTool(bin, "fxc", 5);
    EXPECT_EQ(RunProcessAndWait(u"fxc.exe", {u"/nologo"}), 2);
    EXPECT_EQ(RunProcessAndWait(u"fxc", {}), 2);

    // No native sibling: wine from PATH runs it, absolute paths in Wine's form,
    // switches untouched.
    WriteRecordingTool(bin, "wine", 4);
    WriteText(root.path / "game" / "Tool.exe", "MZ");
    const std::u16string profile = game + u"\\Content\\PlayerProfiles.bin";
    EXPECT_EQ(RunProcessAndWait(game + u"\\Tool.exe", {u"/Gec", profile, u"temp\\Rain.fx"}), 4);
    std::string wineProfile = "Z:" + (root.path / "game").string() + "\\Content\\PlayerProfiles.bin";
    for (char& c : wineProfile) {
        if (c == '/') c = '\\';
    }
    EXPECT_EQ(ReadLines(bin / "wine-args.txt"),
              (std::vector<std::string>{(root.path / "game" / "Tool.exe").string(), "/Gec", wineProfile,
                                        "temp\\Rain.fx"}));
    EXPECT_TRUE(ReadLogLines().empty());
}
