// Running tools: the Windows command line, whole words and captured output on
// Linux, native siblings of ".exe" names, wine for the rest, and failures.
#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "app/CommandLine.h"
#include "app/FileProbes.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "tests/support/FakeTools.h"

namespace {
std::u16string W(const fs::path& path) { return Utf8ToWide(path.string()); }
}  // namespace

TEST(CommandLine, QuotesOnlyWhatTheWindowsRulesNeed) {
    EXPECT_EQ(BuildCommandLine(u"C:\\Tools\\fxc.exe", {u"/nologo", u"temp\\Rain.fx"}),
              u"\"C:\\Tools\\fxc.exe\" /nologo temp\\Rain.fx");
    // Spaces and quotes are grouped; backslashes double only before a quote.
    EXPECT_EQ(BuildCommandLine(u"serz.exe", {u"C:\\My Game\\", u"", u"say \"hi\"", u"a\\\"b", u"c:\\dir\\x"}),
              u"\"serz.exe\" \"C:\\My Game\\\\\" \"\" \"say \\\"hi\\\"\" \"a\\\\\\\"b\" c:\\dir\\x");
}

TEST(RunProcessAndWait, ChildGetsEachWordWholeItsOutputIsCapturedAndFailuresAreNamed) {
    TempDir root;
    UseTempAppPaths(root);
    const fs::path tool = WriteFakeChooser(root.path, "tool", "", 7);
    EXPECT_EQ(
        RunProcessAndWait(W(tool), {u"/Gec", u"temp\\My Rain.fx.o", u"a \"quoted\" word", u"it's", u""}, W(root.path)),
        7);
    EXPECT_EQ(ReadLines(root.path / "tool-args.txt"),
              (std::vector<std::string>{"/Gec", "temp\\My Rain.fx.o", "a \"quoted\" word", "it's", ""}));
    EXPECT_EQ(ReadLines(root.path / "tool-cwd.txt"), std::vector<std::string>{fs::canonical(root.path).string()});
    EXPECT_EQ(RunProcessAndWait(W(WriteFakeChooser(root.path, "quiet", "", 0)), {}), 0);
    EXPECT_TRUE(ReadLines(root.path / "quiet-args.txt").empty());
    EXPECT_TRUE(ReadLogLines().empty());

    // Standard output and error in the order written; nothing is read from input.
    const fs::path talker =
        WriteScript(root.path, "talker", "echo out one\necho err two >&2\nread x && echo got input\nexit 3\n");
    std::string output;
    EXPECT_EQ(RunProcessAndWait(W(talker), {}, u"", &output), 3);
    EXPECT_EQ(output, "out one\nerr two\n");

    // Programs that cannot start; a Windows program with no native sibling
    // and no wine on PATH names the missing wine.
    ScopedPathFirst onlyEmpty(root.path / "empty-bin", false);
    EXPECT_EQ(RunProcessAndWait(W(root.path / "missing-tool"), {u"/nologo"}), -1);
    WriteText(root.path / "not-executable", "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(RunProcessAndWait(W(root.path / "not-executable"), {}), -1);
    WriteText(root.path / "serz.exe", "MZ");
    EXPECT_EQ(RunProcessAndWait(W(root.path / "serz.exe"), {}), -1);
    EXPECT_EQ(RunProcessAndWait(u"nosuchtool.exe", {}), -1);
    const std::string failed = "Failed to create shader compiler process";
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{failed, failed,
                                                        "wine was not found on the search path (PATH); it is needed "
                                                        "to run the Windows program " +
                                                            (root.path / "serz.exe").string(),
                                                        failed, failed}));
}

TEST(RunProcessAndWait, ExeNamesRunTheirNativeSiblingOrGoThroughWine) {
    TempDir root;
    UseTempAppPaths(root);
    const fs::path bin = root.path / "bin", game = root.path / "game";
    fs::create_directories(bin);
    ScopedPathFirst path(bin, false);

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
}
