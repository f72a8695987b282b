// The player-profile patch end to end: a fake game folder (with a space in
// its name), the stand-in converter run as a real process, the profile read
// back from its serialised form.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "app/Text.h"
#include "game/PlayerProfile.h"
#include "settings/Settings.h"
#include "tests/support/FakeTools.h"
#include "tests/support/TestEnv.h"

namespace {

const std::string kBloom = "'DetailPostProcessingBL' TS setting forced to 1";
const std::string kTsx = "'TSXEnabled' TS setting forced to 1";
const std::string kDof = "'DetailPostProcessingDOF' TS setting set to 1";
const std::string kFlora = "'DetailProceduralFlora' TS setting set to 1";
const std::string kPatched = "TS PlayerProfiles patched";
const std::string kUnknown = "ERROR: Unknown error in the PlayerProfiles patching process";

std::string Element(const std::string& name, const std::string& value) {
    return value == "<empty>" ? "<" + name + "/>" : "<" + name + " d:type=\"sInt32\">" + value + "</" + name + ">";
}

std::string Profile(const std::string& bl, const std::string& tsx, const std::string& dof, const std::string& flora,
                    const std::string& secondRecord = std::string()) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<cRecordSet xmlns:d=\"http://www.kuju.com/TnT/2003/Delta\" d:version=\"1.0\" d:id=\"1\">\n"
           "<Record>\n<cPlayerProfile d:id=\"2\">\n<Name d:type=\"cDeltaString\">Driver</Name>\n" +
           Element("DetailPostProcessingBL", bl) + "\n" + Element("TSXEnabled", tsx) + "\n" +
           Element("DetailPostProcessingDOF", dof) + "\n" + Element("DetailProceduralFlora", flora) +
           "\n</cPlayerProfile>\n</Record>\n" + secondRecord + "</cRecordSet>\n";
}

struct ProfileGame {
    TempDir root;
    fs::path game;
    std::string originalBin;

    explicit ProfileGame(const std::string& xml, bool dof = false, bool flora = false) {
        UseTempAppPaths(root);
        game = root.path / "Rail Works";
        Settings& settings = Settings::Instance();
        settings = Settings();
        settings.TSPath = MakeFakeGameFolder(game);
        settings.Shader.DOFEnhancements = dof;
        settings.Shader.ProceduralFloraEnhancements = flora;
        InstallFakeConverter(game);
        WriteFakeProfile(game, xml);
        originalBin = ReadText(game / "Content" / "PlayerProfiles.bin");
    }

    std::string Bin() const { return ReadText(game / "Content" / "PlayerProfiles.bin"); }
    bool Exists(const std::string& name) const { return fs::exists(game / "Content" / name); }
    bool NoXmlLeft() const { return !Exists("PlayerProfiles.xml") && !Exists("PlayerProfiles_Temp.xml"); }
    size_t ConverterRuns() const { return FakeConverterCalls(game).size(); }

    // The value texts of an element in every Record of the current profile.
    std::vector<std::string> Values(const std::string& element) const {
        std::string xml;
        EXPECT_TRUE(ReadFakeProfile(game, xml));
        pugi::xml_document document;
        EXPECT_TRUE(document.load_string(xml.c_str()));
        std::vector<std::string> values;
        for (auto record : document.child("cRecordSet").children("Record")) {
            values.push_back(record.child("cPlayerProfile").child(element.c_str()).text().get());
        }
        return values;
    }
};

using Lines = std::vector<std::string>;

}  // namespace

TEST(PlayerProfile, AllOptionsOnConvertsOnceAndLeavesTheProfile) {
    ProfileGame fixture(Profile("1", "1", "1", "1"), true, true);
    bool forcedBloom = true;  // set by the caller's earlier use: never cleared here
    bool forcedTSX = false;
    PatchPlayerProfiles(forcedBloom, forcedTSX);
    EXPECT_TRUE(forcedBloom);
    EXPECT_FALSE(forcedTSX);
    EXPECT_TRUE(ReadLogLines().empty());
    ASSERT_EQ(fixture.ConverterRuns(), 1u);
    EXPECT_EQ(FakeConverterCalls(fixture.game)[0], fixture.game.string() + "\\Content\\PlayerProfiles.bin");
    EXPECT_EQ(fixture.Bin(), fixture.originalBin);
    EXPECT_TRUE(fixture.NoXmlLeft());
    EXPECT_FALSE(fixture.Exists("PlayerProfiles.bin.bak"));
}

TEST(PlayerProfile, ForcesBloomAloneAndKeepsABackup) {
    ProfileGame fixture(Profile("0", "1", "0", "0"));
    bool forcedBloom = false, forcedTSX = false;
    PatchPlayerProfiles(forcedBloom, forcedTSX);
    EXPECT_TRUE(forcedBloom);
    EXPECT_FALSE(forcedTSX);
    EXPECT_EQ(ReadLogLines(), (Lines{kBloom, kPatched}));
    EXPECT_EQ(fixture.ConverterRuns(), 2u);
    EXPECT_EQ(fixture.Values("DetailPostProcessingBL"), Lines{"1"});
    EXPECT_EQ(fixture.Values("TSXEnabled"), Lines{"1"});
    // Without their enhancements the conditional options stay off.
    EXPECT_EQ(fixture.Values("DetailPostProcessingDOF"), Lines{"0"});
    EXPECT_EQ(fixture.Values("DetailProceduralFlora"), Lines{"0"});
    EXPECT_EQ(fixture.Values("Name"), Lines{"Driver"});
    EXPECT_EQ(ReadText(fixture.game / "Content" / "PlayerProfiles.bin.bak"), fixture.originalBin);
    EXPECT_TRUE(fixture.NoXmlLeft());
}

TEST(PlayerProfile, ConditionalOptionsFollowTheirEnhancements) {
    {
        ProfileGame fixture(Profile("1", "1", "0", "0"), false, false);
        bool forcedBloom = false, forcedTSX = false;
        PatchPlayerProfiles(forcedBloom, forcedTSX);
        EXPECT_TRUE(ReadLogLines().empty());
        EXPECT_EQ(fixture.Bin(), fixture.originalBin);
    }
    {
        ProfileGame fixture(Profile("1", "1", "0", "1"), true, false);
        bool forcedBloom = false, forcedTSX = false;
        PatchPlayerProfiles(forcedBloom, forcedTSX);
        EXPECT_FALSE(forcedBloom);
        EXPECT_FALSE(forcedTSX);
        EXPECT_EQ(ReadLogLines(), (Lines{kDof, kPatched}));
        EXPECT_EQ(fixture.Values("DetailPostProcessingDOF"), Lines{"1"});
    }
}

TEST(PlayerProfile, AllOffWithBothEnhancementsLogsInTableOrder) {
    ProfileGame fixture(Profile("0", "0", "0", "0"), true, true);
    bool forcedBloom = false, forcedTSX = false;
    PatchPlayerProfiles(forcedBloom, forcedTSX);
    EXPECT_TRUE(forcedBloom);
    EXPECT_TRUE(forcedTSX);
    EXPECT_EQ(ReadLogLines(), (Lines{kBloom, kTsx, kDof, kFlora, kPatched}));
    for (const char* element : {"DetailPostProcessingBL", "TSXEnabled", "DetailPostProcessingDOF", "DetailProceduralFlora"}) {
        EXPECT_EQ(fixture.Values(element), Lines{"1"}) << element;
    }
}

TEST(PlayerProfile, EmptyTextIsZeroOtherValuesStayAndOnlyTheFirstRecordCounts) {
    const std::string second = "<Record>\n<cPlayerProfile>\n<DetailPostProcessingBL>0</DetailPostProcessingBL>\n"
                               "<TSXEnabled>0</TSXEnabled>\n<DetailPostProcessingDOF>0</DetailPostProcessingDOF>\n"
                               "<DetailProceduralFlora>0</DetailProceduralFlora>\n</cPlayerProfile>\n</Record>\n";
    ProfileGame fixture(Profile("<empty>", "2", "-1", "0", second), true, false);
    bool forcedBloom = false, forcedTSX = false;
    PatchPlayerProfiles(forcedBloom, forcedTSX);
    EXPECT_TRUE(forcedBloom);
    EXPECT_FALSE(forcedTSX);
    EXPECT_EQ(ReadLogLines(), (Lines{kBloom, kPatched}));
    EXPECT_EQ(fixture.Values("DetailPostProcessingBL"), (Lines{"1", "0"}));
    EXPECT_EQ(fixture.Values("TSXEnabled"), (Lines{"2", "0"}));
    EXPECT_EQ(fixture.Values("DetailPostProcessingDOF"), (Lines{"-1", "0"}));
    EXPECT_EQ(fixture.Values("DetailProceduralFlora"), (Lines{"0", "0"}));
}

TEST(PlayerProfile, AProfileItDoesNotKnowIsNeverWrittenBack) {
    const std::string missingTsx =
        "<cRecordSet><Record><cPlayerProfile><DetailPostProcessingBL>0</DetailPostProcessingBL>"
        "<DetailPostProcessingDOF>0</DetailPostProcessingDOF><DetailProceduralFlora>0</DetailProceduralFlora>"
        "</cPlayerProfile></Record></cRecordSet>";
    const std::string noPlayer = "<cRecordSet><Record><Other/></Record></cRecordSet>";
    const std::string broken = "<cRecordSet><Record><cPlayerProfile><TSXEnabled>0</TSXEnabled>";
    for (const std::string& xml : {missingTsx, noPlayer, broken}) {
        ProfileGame fixture(xml, true, true);
        bool forcedBloom = false, forcedTSX = false;
        PatchPlayerProfiles(forcedBloom, forcedTSX);
        EXPECT_FALSE(forcedBloom) << xml;
        EXPECT_FALSE(forcedTSX) << xml;
        EXPECT_EQ(ReadLogLines(), Lines{kUnknown}) << xml;
        EXPECT_EQ(fixture.ConverterRuns(), 1u) << xml;
        EXPECT_EQ(fixture.Bin(), fixture.originalBin) << xml;
        EXPECT_TRUE(fixture.NoXmlLeft()) << xml;
    }
}

TEST(PlayerProfile, ALeftoverXmlIsNotWrittenBackWhenTheConverterFails) {
    ProfileGame fixture(Profile("1", "1", "1", "1"), true, true);
    WriteText(fixture.game / "Content" / "PlayerProfiles.xml", Profile("0", "0", "0", "0"));
    SetFakeConverterFailing(fixture.game, true);
    bool forcedBloom = false, forcedTSX = false;
    PatchPlayerProfiles(forcedBloom, forcedTSX);
    EXPECT_FALSE(forcedBloom);
    EXPECT_FALSE(forcedTSX);
    EXPECT_EQ(ReadLogLines(), Lines{"ERROR: Can't read PlayerProfiles.xml file"});
    EXPECT_EQ(fixture.Bin(), fixture.originalBin);
    EXPECT_TRUE(fixture.NoXmlLeft());

    // Once the converter works again, the profile of this run is the one patched.
    SetFakeConverterFailing(fixture.game, false);
    WriteText(fixture.game / "Content" / "PlayerProfiles.xml", Profile("0", "0", "0", "0"));
    PatchPlayerProfiles(forcedBloom, forcedTSX);
    EXPECT_FALSE(forcedBloom);
    EXPECT_EQ(fixture.Bin(), fixture.originalBin);
}

TEST(PlayerProfile, AConversionBackThatFailsLeavesTheProfileAndForcesNothing) {
    for (const std::string mode : {"exit", "damage", "unchanged"}) {
        ProfileGame fixture(Profile("0", "0", "0", "0"), true, true);
        SetFakeConverterFailingBack(fixture.game, mode);
        bool forcedBloom = false, forcedTSX = false;
        PatchPlayerProfiles(forcedBloom, forcedTSX);
        EXPECT_FALSE(forcedBloom) << mode;
        EXPECT_FALSE(forcedTSX) << mode;
        EXPECT_EQ(fixture.ConverterRuns(), 2u) << mode;
        EXPECT_EQ(fixture.Bin(), fixture.originalBin) << mode;
        EXPECT_EQ(ReadLogLines().back(), kUnknown) << mode;
        EXPECT_FALSE(Logged(kPatched)) << mode;
        EXPECT_TRUE(fixture.NoXmlLeft()) << mode;
    }
}

TEST(PlayerProfile, AMissingConverterIsLoggedAndChangesNothing) {
    ProfileGame fixture(Profile("0", "0", "0", "0"));
    fs::remove(fixture.game / "serz");
    fs::remove(fixture.game / "serz.exe");
    bool forcedBloom = false, forcedTSX = false;
    PatchPlayerProfiles(forcedBloom, forcedTSX);
    EXPECT_FALSE(forcedBloom);
    EXPECT_FALSE(forcedTSX);
    EXPECT_EQ(ReadLogLines(), (Lines{"Failed to create shader compiler process", "ERROR: Can't read PlayerProfiles.xml file"}));
    EXPECT_EQ(fixture.Bin(), fixture.originalBin);
}
