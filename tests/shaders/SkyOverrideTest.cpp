#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/Settings.h"
#include "shaders/SkyOverride.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

fs::path OverridePath(const fs::path& game) { return game / "data" / "SilverLining" / "Silverlining.override"; }

// Lines of a CR LF file; fails the test on a bare LF.
std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n') continue;
        EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
        lines.push_back(bytes.substr(start, i - 1 - start));
        start = i + 1;
    }
    EXPECT_EQ(start, bytes.size()) << "text after the last line break";
    return lines;
}

}  // namespace

TEST(SkyOverride, BlocksChosenByTheTwoCloudSwitches) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    Settings& settings = Settings::Instance();
    WriteText(OverridePath(game), "old user text that must go\n");

    struct Case { bool performance, enhancement; size_t lines; };
    for (const Case c : {Case{false, false, 48}, Case{true, false, 60}, Case{false, true, 64}, Case{true, true, 76}}) {
        settings.Shader.DynamicCloudsPerformanceFix = c.performance;
        settings.Shader.DynamicCloudsEnhancements = c.enhancement;
        WriteSkyOverride(settings);
        const std::string bytes = ReadText(OverridePath(game));
        const std::vector<std::string> lines = CrLfLines(bytes);
        EXPECT_EQ(lines.size(), c.lines) << c.performance << c.enhancement;
        std::string expected = kSkyOverrideBaseBlock;
        if (c.performance) expected += kSkyOverridePerformanceBlock;
        if (c.enhancement) expected += kSkyOverrideEnhancementBlock;
        EXPECT_EQ(bytes, CrLf(expected));
        ASSERT_GE(lines.size(), 48u);
        EXPECT_EQ(lines[0], "# we're single threaded, saves on mutex overhead");
        EXPECT_EQ(lines[3], "# supposedly not worth the extra cost :");
        EXPECT_EQ(lines[46], "star-magnitude-adjustment = -3");
        EXPECT_EQ(lines[47], "");
        if (c.performance) {
            EXPECT_EQ(lines[48], "enable-sun-glow = no");
            EXPECT_EQ(lines[58], "cumulus-congestus-voxel-dimension = 600.0");
        }
        if (c.enhancement) {
            EXPECT_EQ(lines[c.performance ? 60 : 48], "#More contrasted sky");
            EXPECT_EQ(lines[lines.size() - 2], "cumulus-congestus-ambient-scattering = 0.875");
        }
    }
    // The weather add-on changes nothing here.
    AddWeatherPack(game);
    WriteSkyOverride(settings);
    EXPECT_EQ(CrLfLines(ReadText(OverridePath(game))).size(), 76u);

    WriteSkyOverrideBaseOnly();
    EXPECT_EQ(ReadText(OverridePath(game)), CrLf(kSkyOverrideBaseBlock));
    const auto log = ReadLogLines();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Tweaked Silverlining file"), 5);
    EXPECT_EQ(log.back(), "Restored original Silverlining file");
}

TEST(SkyOverride, MissingFolderOrUndeletableFileWritesNothing) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    fs::remove_all(game / "data" / "SilverLining");
    WriteSkyOverride(Settings::Instance());
    EXPECT_FALSE(fs::exists(game / "data" / "SilverLining"));
    EXPECT_EQ(ReadLogLines().back(), "Tweaked Silverlining file");

    // Something that cannot be deleted stands at the path: the restore form
    // leaves it and says so instead of claiming success.
    WriteText(OverridePath(game) / "keep", "x");
    WriteSkyOverrideBaseOnly();
    EXPECT_TRUE(fs::exists(OverridePath(game) / "keep"));
    const std::string last = ReadLogLines().back();
    EXPECT_NE(last.find("Silverlining.override"), std::string::npos) << last;
    EXPECT_NE(last.find("left as it is"), std::string::npos) << last;
}
