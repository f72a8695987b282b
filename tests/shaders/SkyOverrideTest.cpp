// The sky override file in a fake game folder: the blocks the two cloud
// switches choose, with CR LF line ends, and the base block alone on restore.
#include <gtest/gtest.h>

#include <algorithm>

#include "settings/Settings.h"
#include "shaders/SkyOverride.h"
#include "tests/support/PipelineTestEnv.h"

namespace {
fs::path OverridePath(const fs::path& game) { return game / "data" / "SilverLining" / "Silverlining.override"; }
}  // namespace

TEST(SkyOverride, TheCloudSwitchesChooseTheBlocksAndTheRestoreWritesTheBaseAloneOrNamesWhatIsInTheWay) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    Settings& settings = Settings::Instance();
    WriteText(OverridePath(game), "old user text that must go\n");
    struct Case { bool performance, enhancement; long lines; };
    for (const Case c : {Case{false, false, 48}, Case{true, false, 60}, Case{false, true, 64}, Case{true, true, 76}}) {
        settings.Shader.DynamicCloudsPerformanceFix = c.performance;
        settings.Shader.DynamicCloudsEnhancements = c.enhancement;
        if (c.lines == 76) AddWeatherPack(game);  // which changes nothing here
        WriteSkyOverride(settings);
        const std::string bytes = ReadText(OverridePath(game));
        EXPECT_EQ(bytes, CrLf(std::string(kSkyOverrideBaseBlock) + (c.performance ? kSkyOverridePerformanceBlock : "") +
                              (c.enhancement ? kSkyOverrideEnhancementBlock : "")));
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), c.lines);
    }
    WriteSkyOverrideBaseOnly();
    EXPECT_EQ(ReadText(OverridePath(game)), CrLf(kSkyOverrideBaseBlock));
    const auto log = ReadLogLines();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Tweaked Silverlining file"), 4);
    EXPECT_EQ(log.back(), "Restored original Silverlining file");

    // A missing folder is not made.
    fs::remove_all(game / "data" / "SilverLining");
    WriteSkyOverride(settings);
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
