// The player-profile patch end to end: a fake game folder (with a space in
// its name), the stand-in converter run as a real process, the profile read
// back from its serialised form.

#include <pugixml.hpp>

#include "app/Log.h"
#include "game/PlayerProfile.h"
#include "settings/Settings.h"
#include "tests/support/FakeTools.h"

namespace {

using Lines = std::vector<std::string>;
const std::string kBloom = "'DetailPostProcessingBL' TS setting forced to 1";
const std::string kTsx = "'TSXEnabled' TS setting forced to 1";
const std::string kDof = "'DetailPostProcessingDOF' TS setting set to 1";
const std::string kFlora = "'DetailProceduralFlora' TS setting set to 1";
const std::string kPatched = "TS PlayerProfiles patched";
const std::string kUnknown = "ERROR: Unknown error in the PlayerProfiles patching process";
const char* const kOptions[] = {"DetailPostProcessingBL", "TSXEnabled", "DetailPostProcessingDOF",
                                "DetailProceduralFlora"};

// A record with the four options' texts in table order: "" for an empty
// element, "none" for none at all.
std::string Record(const Lines& values) {
    std::string xml = "<Record>\n<cPlayerProfile d:id=\"2\">\n<Name d:type=\"cDeltaString\">Driver</Name>\n";
    for (size_t i = 0; i < 4; ++i) {
        const std::string name = kOptions[i];
        if (values[i] != "none") {
            xml += values[i].empty() ? "<" + name + "/>\n"
                                     : "<" + name + " d:type=\"sInt32\">" + values[i] + "</" + name + ">\n";
        }
    }
    return xml + "</cPlayerProfile>\n</Record>\n";
}

std::string Profile(const std::string& records) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<cRecordSet xmlns:d=\"http://www.kuju.com/TnT/2003/Delta\" d:version=\"1.0\" d:id=\"1\">\n" +
           records + "</cRecordSet>\n";
}
std::string Profile(const Lines& values) { return Profile(Record(values)); }

struct ProfileGame {
    TempDir root;
    fs::path game = root.path / "Rail Works";
    std::string originalBin;
    bool forcedBloom = false, forcedTSX = false;

    explicit ProfileGame(const std::string& xml, bool dof = true, bool flora = true) {
        UseTempAppPaths(root);
        Settings& settings = Settings::Instance();
        settings = Settings();
        settings.TSPath = MakeFakeGameFolder(game);
        settings.Shader.DOFEnhancements = dof;
        settings.Shader.ProceduralFloraEnhancements = flora;
        InstallFakeConverter(game);
        WriteFakeProfile(game, xml);
        originalBin = Bin();
    }
    void Patch() {
        const ProfilePatchOutcome outcome = PatchPlayerProfiles(Settings::Instance());
        forcedBloom = forcedBloom || outcome.forcedBloom;
        forcedTSX = forcedTSX || outcome.forcedTSX;
    }
    std::string Bin() const { return ReadText(game / "Content" / "PlayerProfiles.bin"); }
    bool NoXmlLeft() const {
        return !fs::exists(game / "Content" / "PlayerProfiles.xml") &&
               !fs::exists(game / "Content" / "PlayerProfiles_Temp.xml");
    }
    // The text of an element in every Record of the current profile.
    Lines Values(const std::string& element) const {
        std::string xml;
        EXPECT_TRUE(ReadFakeProfile(game, xml));
        pugi::xml_document document;
        EXPECT_TRUE(document.load_string(xml.c_str()));
        Lines values;
        for (auto record : document.child("cRecordSet").children("Record")) {
            values.push_back(record.child("cPlayerProfile").child(element.c_str()).text().get());
        }
        return values;
    }
};

}  // namespace

TEST(PlayerProfile, ForcesBloomAndTsxAndSetsTheOptionsOfTheEnhancementsOn) {
    struct Case {
        Lines values;
        bool dof, flora;
        Lines log;
        bool forcedBloom, forcedTSX;
    };
    const Case cases[] = {
        {{"1", "1", "1", "1"}, true, true, {}, false, false},
        {{"1", "1", "0", "0"}, false, false, {}, false, false},
        {{"0", "1", "0", "0"}, false, false, {kBloom, kPatched}, true, false},
        {{"1", "1", "0", "1"}, true, false, {kDof, kPatched}, false, false},
        {{"0", "0", "0", "0"}, true, true, {kBloom, kTsx, kDof, kFlora, kPatched}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.values) + (c.dof ? " DOF" : "") + (c.flora ? " flora" : ""));
        ProfileGame fixture(Profile(c.values), c.dof, c.flora);
        fixture.Patch();
        EXPECT_EQ(ReadLogLines(), c.log);
        EXPECT_EQ(fixture.forcedBloom, c.forcedBloom);
        EXPECT_EQ(fixture.forcedTSX, c.forcedTSX);
        EXPECT_TRUE(fixture.NoXmlLeft());
        EXPECT_EQ(FakeConverterCalls(fixture.game).front(), fixture.game.string() + "\\Content\\PlayerProfiles.bin");
        if (c.log.empty()) {  // nothing to change: one conversion and no backup
            EXPECT_EQ(FakeConverterCalls(fixture.game).size(), 1u);
            EXPECT_EQ(fixture.Bin(), fixture.originalBin);
            EXPECT_FALSE(fs::exists(fixture.game / "Content" / "PlayerProfiles.bin.bak"));
            continue;
        }
        EXPECT_EQ(FakeConverterCalls(fixture.game).size(), 3u);  // and once more to read it back
        EXPECT_EQ(ReadText(fixture.game / "Content" / "PlayerProfiles.bin.bak"), fixture.originalBin);
        EXPECT_EQ(fixture.Values("Name"), Lines{"Driver"});
        const bool on[] = {true, true, c.dof, c.flora};
        for (size_t i = 0; i < 4; ++i) EXPECT_EQ(fixture.Values(kOptions[i]), Lines{on[i] ? "1" : c.values[i]}) << i;
    }

    // An empty text counts as 0, other values stay, and only the first record counts.
    ProfileGame fixture(Profile(Record({"", "2", "-1", "0"}) + Record({"0", "0", "0", "0"})), true, false);
    fixture.forcedTSX = true;  // set by an earlier use: never cleared here
    fixture.Patch();
    EXPECT_TRUE(fixture.forcedBloom);
    EXPECT_TRUE(fixture.forcedTSX);
    EXPECT_EQ(ReadLogLines(), (Lines{kBloom, kPatched}));
    EXPECT_EQ(fixture.Values("DetailPostProcessingBL"), (Lines{"1", "0"}));
    EXPECT_EQ(fixture.Values("TSXEnabled"), (Lines{"2", "0"}));
    EXPECT_EQ(fixture.Values("DetailPostProcessingDOF"), (Lines{"-1", "0"}));
}

TEST(PlayerProfile, AnUnknownProfileOrAFailedConversionLeavesItByteIdenticalAndForcesNothing) {
    // Profiles it does not know are never written back.
    for (const std::string& xml : {Profile({"0", "none", "0", "0"}),
                                  std::string("<cRecordSet><Record><Other/></Record></cRecordSet>"),
                                  std::string("<cRecordSet><Record><cPlayerProfile><TSXEnabled>0</TSXEnabled>")}) {
        SCOPED_TRACE(xml);
        ProfileGame fixture(xml);
        fixture.Patch();
        EXPECT_FALSE(fixture.forcedBloom || fixture.forcedTSX);
        EXPECT_EQ(FakeConverterCalls(fixture.game).size(), 1u);
        EXPECT_EQ(fixture.Bin(), fixture.originalBin);
        EXPECT_EQ(ReadLogLines(), Lines{kUnknown});
        EXPECT_TRUE(fixture.NoXmlLeft());
    }

    // A failing first conversion does not take a leftover XML for its output;
    // once the converter works again, the profile of this run is the one patched.
    ProfileGame fixture(Profile({"1", "1", "1", "1"}));
    WriteText(fixture.game / "Content" / "PlayerProfiles.xml", Profile({"0", "0", "0", "0"}));
    SetFakeConverterFailure(fixture.game, "all");
    fixture.Patch();
    EXPECT_EQ(ReadLogLines(), Lines{"ERROR: Can't read PlayerProfiles.xml file"});
    EXPECT_TRUE(fixture.NoXmlLeft());
    SetFakeConverterFailure(fixture.game, "");
    WriteText(fixture.game / "Content" / "PlayerProfiles.xml", Profile({"0", "0", "0", "0"}));
    fixture.Patch();
    EXPECT_FALSE(fixture.forcedBloom || fixture.forcedTSX);
    EXPECT_EQ(fixture.Bin(), fixture.originalBin);

    // Without the converter nothing changes either.
    fs::remove(fixture.game / "serz");
    fs::remove(fixture.game / "serz.exe");
    ClearLog();
    fixture.Patch();
    EXPECT_EQ(ReadLogLines(),
              (Lines{"Failed to create shader compiler process", "ERROR: Can't read PlayerProfiles.xml file"}));
    EXPECT_EQ(fixture.Bin(), fixture.originalBin);
}

TEST(PlayerProfile, AProfileThatDoesNotReadBackPatchedIsPutBackWhateverTheConvertersExitCode) {
    // Each way the conversion back can go wrong, from a profile with every
    // option off and one with only the bloom off.
    struct Trial {
        std::string mode, cause;
    };
    const std::string notHeld = "the written profile does not hold ";
    const std::string unreadable = "the converter cannot read the written profile back (exit code ";
    const Trial trials[] = {
        {"exit", "the converter failed to write the patched profile back (exit code 3)"},
        {"damage", "the converter failed to write the patched profile back (exit code 3)"},
        {"unchanged", notHeld + "DetailPostProcessingBL = 1"},
        {"stale", notHeld + "DetailPostProcessingBL = 1"},
        {"truncated", "the written profile does not read back as a player profile"},
        {"empty", unreadable + "4)"},
        {"foreign", "the written profile does not read back as a player profile"},
        {"garbage", unreadable + "4)"},
        {"reverted", notHeld + "DetailPostProcessingBL = 1"},
        {"dropped", notHeld + "TSXEnabled = 1"},
        {"noreadback", unreadable + "3)"},
    };
    for (const Lines& values : {Lines{"0", "0", "0", "0"}, Lines{"0", "1", "1", "1"}}) {
        for (const Trial& trial : trials) {
            SCOPED_TRACE(trial.mode + " from " + testing::PrintToString(values));
            ProfileGame fixture(Profile(values));
            SetFakeConverterFailure(fixture.game, trial.mode);
            const ProfilePatchOutcome outcome = PatchPlayerProfiles(Settings::Instance());
            EXPECT_FALSE(outcome.ok);
            EXPECT_FALSE(outcome.forcedBloom || outcome.forcedTSX);
            EXPECT_EQ(outcome.cause, trial.cause + "; the previous profile was put back");
            EXPECT_EQ(ReadLogLines().back(), "ERROR: PlayerProfiles.bin was not patched: " + outcome.cause);
            EXPECT_FALSE(Logged(kPatched));
            EXPECT_EQ(fixture.Bin(), fixture.originalBin);
            EXPECT_EQ(ReadText(fixture.game / "Content" / "PlayerProfiles.bin.bak"), fixture.originalBin);
            EXPECT_TRUE(fixture.NoXmlLeft());
        }
    }

    // The same converter working again: the profile reads back patched.
    ProfileGame fixture(Profile({"0", "1", "1", "1"}));
    const ProfilePatchOutcome outcome = PatchPlayerProfiles(Settings::Instance());
    EXPECT_TRUE(outcome.ok && outcome.forcedBloom && !outcome.forcedTSX);
    EXPECT_EQ(FakeConverterCalls(fixture.game).size(), 3u);
    EXPECT_EQ(fixture.Values("DetailPostProcessingBL"), Lines{"1"});
    EXPECT_TRUE(fixture.NoXmlLeft());
}
