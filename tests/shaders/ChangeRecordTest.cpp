// The record of Vantrel's changes as a user or another tool may have left it:
// nothing the record cannot vouch for is written or deleted.
#include "app/Sha256.h"
#include "shaders/ChangeManifest.h"
#include "shaders/EffectPlacement.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

struct Entry {
    std::string name, existed, original, written, pending;
};

std::string Attribute(const char* name, const std::string& value) {
    return value.empty() ? "" : " " + std::string(name) + "=\"" + value + "\"";
}

void WriteRecord(const fs::path& game, const std::vector<Entry>& entries) {
    std::string xml = "<?xml version=\"1.0\"?>\n<VantrelChanges version=\"1\">\n";
    for (const Entry& e : entries) {
        xml += "<Shader" + Attribute("name", e.name) + Attribute("existed", e.existed) +
               Attribute("original", e.original) + Attribute("written", e.written) +
               Attribute("pending", e.pending) + " />\n";
    }
    WriteText(game / "Vantrel" / "Changes.xml", xml + "</VantrelChanges>\n");
}

std::vector<std::string> Names(const ChangeManifest& manifest) {
    std::vector<std::string> names;
    for (const ShaderChange& change : manifest.changes) names.push_back(WideToUtf8(change.fileName));
    return names;
}

const std::string kHashA = Sha256Hex("a"), kHashB = Sha256Hex("b");

std::vector<std::u16string> NotRestored() {
    std::vector<std::u16string> names;
    for (const FileNotRestored& file : LastRestore().notRestored) names.push_back(file.fileName);
    return names;
}

using ChangeRecord = PipelineTest;

}  // namespace

TEST_F(ChangeRecord, HandEditedEntriesThatCouldLeadElsewhereOrContradictThemselvesAreRefused) {
    // Each a record of its own, read alone; "accepted" when it must be kept.
    struct Row {
        Entry entry;
        bool accepted;
    };
    const std::vector<Row> rows = {
        {{"Rain.fx.o", "true", kHashA, kHashB, ""}, true},
        {{"Rain.fx.o", "false", "", kHashB, kHashA}, true},
        {{"..\\x.fx.o", "false", "", kHashB, ""}, false},
        {{"../x.fx.o", "false", "", kHashB, ""}, false},
        {{"dev\\Shaders\\Rain.fx.o", "false", "", kHashB, ""}, false},
        {{"C:\\Windows\\x.fx.o", "false", "", kHashB, ""}, false},
        {{"/etc/x.fx.o", "false", "", kHashB, ""}, false},
        {{"\\\\server\\share\\x.fx.o", "false", "", kHashB, ""}, false},
        {{"Rain.fx.o:stream.fx.o", "false", "", kHashB, ""}, false},
        {{"CON.fx.o", "false", "", kHashB, ""}, false},
        {{"nul.fx.o", "false", "", kHashB, ""}, false},
        {{"Aux .fx.o", "false", "", kHashB, ""}, false},
        {{"COM1.fx.o", "false", "", kHashB, ""}, false},
        {{"lpt9.fx.o", "false", "", kHashB, ""}, false},
        {{"CONOUT$.fx.o", "false", "", kHashB, ""}, false},
        {{".fx.o", "false", "", kHashB, ""}, false},
        {{".hidden.fx.o", "false", "", kHashB, ""}, false},
        {{" Rain.fx.o", "false", "", kHashB, ""}, false},
        {{"Ra&#9;in.fx.o", "false", "", kHashB, ""}, false},
        {{"Ra*in.fx.o", "false", "", kHashB, ""}, false},
        {{"Ra&lt;in.fx.o", "false", "", kHashB, ""}, false},
        {{"Rain.fx", "false", "", kHashB, ""}, false},
        {{"", "false", "", kHashB, ""}, false},
        {{"Rain.fx.o", "true", "xyz", kHashB, ""}, false},
        {{"Rain.fx.o", "true", kHashA.substr(1), kHashB, ""}, false},
        {{"Rain.fx.o", "false", "", "ABCDEF" + kHashB.substr(6), ""}, false},
        {{"Rain.fx.o", "true", "", kHashB, ""}, false},
        {{"Rain.fx.o", "false", kHashA, kHashB, ""}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("name \"" + row.entry.name + "\", existed " + row.entry.existed + ", original " +
                     row.entry.original + ", written " + row.entry.written);
        WriteRecord(game, {row.entry});
        ChangeManifest manifest;
        ASSERT_TRUE(LoadChangeManifest(settings.TSPath, manifest).ok);
        EXPECT_EQ(manifest.changes.size(), row.accepted ? 1u : 0u);
        EXPECT_EQ(manifest.refused.size(), row.accepted ? 0u : 1u);
    }

    // Given twice: alike counts once; different, neither is believed.
    WriteRecord(game, {{"Same.fx.o", "false", "", kHashB, ""},
                       {"Twice.fx.o", "false", "", kHashB, ""},
                       {"Same.fx.o", "false", "", kHashB, ""},
                       {"Twice.fx.o", "false", "", kHashA, ""}});
    ChangeManifest manifest;
    ASSERT_TRUE(LoadChangeManifest(settings.TSPath, manifest).ok);
    EXPECT_EQ(Names(manifest), std::vector<std::string>{"Same.fx.o"});
    EXPECT_EQ(manifest.refused, std::vector<std::string>{"Twice.fx.o"});
}

TEST_F(ChangeRecord, TheRestoreTouchesNothingAnEntryCannotVouchFor) {
    const fs::path shaders = game / "dev" / "Shaders";
    {
        SCOPED_TRACE("an entry whose name leads out of dev\\Shaders");
        WriteText(game / "dev" / "victim.fx.o", "the player's own file");
        WriteRecord(game, {{"..\\victim.fx.o", "false", "", Sha256Hex("the player's own file"), ""}});
        EXPECT_FALSE(ShaderInstaller::Restore());
        EXPECT_EQ(ReadText(game / "dev" / "victim.fx.o"), "the player's own file");
        ASSERT_EQ(NotRestored(), std::vector<std::u16string>{u"..\\victim.fx.o"});
        EXPECT_EQ(LastRestore().notRestored[0].cause, FailureCause::RecordUnreadable);
        // Reported once, the entry is gone from the record.
        EXPECT_TRUE(ShaderInstaller::Restore());
        EXPECT_FALSE(fs::exists(game / "Vantrel"));
    }
    PutStockShaders(game);
    ASSERT_TRUE(ShaderInstaller::Install());
    ChangeManifest installed;
    ASSERT_TRUE(LoadChangeManifest(settings.TSPath, installed).ok);
    std::vector<Entry> entries;
    for (const ShaderChange& c : installed.changes) {
        entries.push_back({WideToUtf8(c.fileName), "true", c.originalHash, c.writtenHash, c.pendingHash});
    }
    {
        SCOPED_TRACE("a wrong written hash, and entries added by hand for files Vantrel never touched");
        entries[4].written = kHashA;  // Rain
        WriteText(shaders / "Untouched.fx.o", "the game's own");
        WriteText(shaders / "Unrecorded.fx.o", "the game's too");
        std::vector<Entry> edited = entries;
        edited.push_back({"Untouched.fx.o", "true", kHashA, Sha256Hex("the game's own"), ""});
        edited.push_back({"Unrecorded.fx.o", "false", "", "", ""});
        WriteRecord(game, edited);
        EXPECT_FALSE(ShaderInstaller::Restore());
        // Rain is left as it is with its copy kept: the record no longer knows it as ours.
        EXPECT_EQ(LastRestore().leftAlone, (std::vector<std::u16string>{u"Rain.fx.o", u"Unrecorded.fx.o"}));
        EXPECT_EQ(ReadText(game / "Vantrel" / "Originals" / "Rain.fx.o"), "STOCK Rain");
        // Its written hash is its own, but no copy stands behind "existed": named, not deleted.
        EXPECT_EQ(NotRestored(), std::vector<std::u16string>{u"Untouched.fx.o"});
        EXPECT_EQ(ReadText(shaders / "Untouched.fx.o"), "the game's own");
        EXPECT_EQ(ReadText(shaders / "Unrecorded.fx.o"), "the game's too");
        EXPECT_EQ(ReadText(shaders / "ProcFlora.fx.o"), "STOCK ProcFlora");
    }
    {
        SCOPED_TRACE("the record's folder became a file");
        ASSERT_TRUE(ShaderInstaller::Install());
        const std::string installedRain = ReadText(shaders / "Rain.fx.o");
        fs::remove_all(game / "Vantrel");
        WriteText(game / "Vantrel", "not a folder");
        EXPECT_FALSE(ShaderInstaller::Restore());
        EXPECT_EQ(LastRestore().cause, FailureCause::RecordUnreadable);
        EXPECT_EQ(LastRestore().filesRestored + LastRestore().filesRemoved, 0);
        EXPECT_EQ(ReadText(shaders / "Rain.fx.o"), installedRain);
    }
}

TEST_F(ChangeRecord, NothingIsWrittenThroughALinkThatLeadsOutOfTheGameFolder) {
    const fs::path outside = root.path / "elsewhere";
    WriteText(outside / "users-file.txt", "the user's");
    const auto outsideUnchanged = [&] {
        EXPECT_EQ(FileNames(outside), std::vector<std::string>{"users-file.txt"});
        EXPECT_EQ(ReadText(outside / "users-file.txt"), "the user's");
    };
    {
        SCOPED_TRACE("dev\\Shaders is a link to a folder elsewhere");
        fs::remove_all(game / "dev" / "Shaders");
        fs::create_directory_symlink(outside, game / "dev" / "Shaders");
        EXPECT_FALSE(ShaderInstaller::Install());
        const InstallOutcome& result = LastInstall();
        EXPECT_EQ(result.cause, FailureCause::LinkOutOfGame);
        EXPECT_EQ(result.failedPath, settings.TSPath + u"\\dev\\Shaders");
        EXPECT_TRUE(
            Logged("ERROR: " + WideToUtf8(settings.TSPath) +
                   "\\dev\\Shaders is a link that leads out of the game folder; Vantrel writes nothing through it"));
        EXPECT_FALSE(ShaderInstaller::Restore());
        EXPECT_EQ(LastRestore().cause, FailureCause::LinkOutOfGame);
        outsideUnchanged();
        fs::remove(game / "dev" / "Shaders");
        fs::create_directory(game / "dev" / "Shaders");
    }
    {
        SCOPED_TRACE("Rain.fx.o is a link to the user's file; a link inside the game folder is fine");
        fs::create_symlink(outside / "users-file.txt", GameShader(game, "Rain"));
        WriteText(game / "Elsewhere in the game" / "Flora.fx.o", "STOCK ProcFlora");
        fs::create_symlink(game / "Elsewhere in the game" / "Flora.fx.o", GameShader(game, "ProcFlora"));
        EXPECT_FALSE(ShaderInstaller::Install());
        const InstallOutcome& result = LastInstall();
        EXPECT_EQ(result.failedEffect, u"Rain");
        EXPECT_EQ(result.cause, FailureCause::LinkOutOfGame);
        EXPECT_EQ(result.failedPath, settings.TSPath + u"\\dev\\Shaders\\Rain.fx.o");
        EXPECT_TRUE(fs::is_symlink(GameShader(game, "ProcFlora")));
        EXPECT_NE(ReadText(game / "Elsewhere in the game" / "Flora.fx.o"), "STOCK ProcFlora");
        outsideUnchanged();
        EXPECT_TRUE(ShaderInstaller::Restore());
        EXPECT_EQ(ReadText(game / "Elsewhere in the game" / "Flora.fx.o"), "STOCK ProcFlora");
        fs::remove(GameShader(game, "Rain"));
    }
    {
        SCOPED_TRACE("a crafted record and a link: the restore writes nothing out of the game folder");
        fs::create_symlink(outside / "users-file.txt", GameShader(game, "Rain"));
        WriteText(game / "Vantrel" / "Originals" / "Rain.fx.o", "chosen bytes");
        WriteRecord(game, {{"Rain.fx.o", "true", Sha256Hex("chosen bytes"), Sha256Hex("the user's"), ""}});
        EXPECT_FALSE(ShaderInstaller::Restore());
        ASSERT_EQ(NotRestored(), std::vector<std::u16string>{u"Rain.fx.o"});
        EXPECT_EQ(LastRestore().notRestored[0].cause, FailureCause::LinkOutOfGame);
        outsideUnchanged();
    }
}

TEST_F(ChangeRecord, ARecordOfTensOfThousandsOfEntriesIsUndoneInLinearTime) {
    // Each entry names a file the game never had and that is not there. Ten
    // times the entries may take some thirty times as long on a busy machine,
    // not the hundred times of a quadratic undo.
    const auto restoreSeconds = [&](int count) {
        std::vector<Entry> entries;
        for (int i = 0; i < count; ++i) {
            entries.push_back({"Effect" + std::to_string(i) + ".fx.o", "false", "", kHashB, ""});
        }
        WriteRecord(game, entries);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(ShaderInstaller::Restore());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(LastRestore().filesRemoved, count);
        EXPECT_FALSE(fs::exists(game / "Vantrel"));
        return seconds;
    };
    const double small = std::min(restoreSeconds(4000), restoreSeconds(4000));
    const double large = restoreSeconds(40000);
    EXPECT_LT(large, 30 * small + 0.5);
}
