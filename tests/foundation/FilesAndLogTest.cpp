// The file layer, text conversion, the log and the digest: real files in a
// throw-away folder, on Linux and under Wine.
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "app/FileIo.h"
#include "app/Log.h"
#include "app/Sha256.h"
#include "tests/support/PipelineTestEnv.h"

TEST(TextConversion, ValidTextRoundTripsInvalidInputGivesEmptyAndTheLogKeepsWhatFitsOneByte) {
    EXPECT_EQ(Utf8ToWide("Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x9A\x82"), u"Z\u00FCrich \u20AC \U0001F682");
    EXPECT_EQ(WideToUtf8(u"Z\u00FCrich \u20AC \U0001F682"), "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x9A\x82");
    for (const char* invalid : {"ab\xFF", "ab\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        EXPECT_EQ(Utf8ToWide(invalid), u"") << invalid;  // stray, truncated, overlong, surrogate, past U+10FFFF
    }
    EXPECT_EQ(WideToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b"), "");
    EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t(0xDC00))), "");

    // The log: one single-byte line an entry, with question marks for what does not fit.
    TempDir tmp;
    UseTempAppPaths(tmp);
    Log("first");
    Log(u"Z\u00FCrich");                // fits in one byte
    Log(u"\u20AC and \U0001F682 end");  // neither fits; the pair is one character
    Log("\xFF not UTF-8");              // an empty entry
    Log("two\nlines");
    std::string expected = "first\nZ\xFCrich\n? and ? end\n\ntwo\nlines\n";
#ifdef _WIN32  // the line end goes through the platform's text mode
    expected = CrLf(expected);
#endif
    EXPECT_EQ(ReadText(tmp.path / "pref" / "log.txt"), expected);
    ClearLog();
    EXPECT_FALSE(fs::exists(tmp.path / "pref" / "log.txt"));
}

TEST(FileIo, ProbesOnBackslashPathsReadsListsMovesAndSafeReplacesRegularFiles) {
    TempDir tmp;
    const std::u16string nested = W(tmp.path) + u"/" + u"a\\b\\c", file = nested + u"\\f.txt";
    EXPECT_TRUE(CreateDirectories(nested));
    EXPECT_TRUE(fs::is_directory(tmp.path / "a" / "b" / "c"));
    EXPECT_TRUE(RemoveFileIfExists(file));  // nothing there: no error
    WriteText(tmp.path / "a/b/c/f.txt", "x");
    EXPECT_TRUE(PathExists(file) && DirectoryExists(nested) && !DirectoryExists(file) && !PathExists(u""));
    EXPECT_TRUE(RemoveFileIfExists(file));
    EXPECT_FALSE(PathExists(file));
    // A folder is not removed as a file: the caller gets the error.
    WriteText(tmp.path / "a/b/c/inner.txt", "x");
    std::error_code cause;
    EXPECT_FALSE(RemoveFileIfExists(nested, &cause));
    EXPECT_TRUE(cause);

    // Reading, listing and moving regular files, and logging why not.
    UseTempAppPaths(tmp);
    std::u16string root = W(tmp.path) + u"/";
    std::string bytes = "stale";
    EXPECT_FALSE(ReadFileBytes(root + u"missing.xml", bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(ReadLogLines().empty());  // a missing file is nothing unusual

    const std::string big(200000, 'b');  // several read chunks
    WriteText(tmp.path / "big.bin", big);
    EXPECT_TRUE(ReadFileBytes(root + u"big.bin", bytes, big.size()));
    EXPECT_EQ(bytes, big);
    EXPECT_FALSE(ReadFileBytes(root + u"big.bin", bytes, big.size() - 1));
    EXPECT_TRUE(bytes.empty());
    fs::create_directory(tmp.path / "folder.xml");
    EXPECT_FALSE(ReadFileBytes(root + u"folder.xml", bytes));
    std::vector<std::string> expected{"ERROR: Can't read " + tmp.path.string() + "/big.bin: File too large",
                                      "ERROR: Can't read " + tmp.path.string() + "/folder.xml: Is a directory"};
#ifndef _WIN32
    // A pipe would block a plain read for ever.
    ASSERT_EQ(mkfifo((tmp.path / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(ReadFileBytes(root + u"pipe", bytes));
    expected.push_back("ERROR: Can't read " + tmp.path.string() + "/pipe: not a regular file");
#endif
    EXPECT_EQ(ReadLogLines(), expected);

    const std::u16string list = root + u"list/";
    fs::create_directories(tmp.path / "list" / "sub");
    ASSERT_TRUE(WriteTextFileCrLf(list + u"t.txt", "a\nb\n\nc"));
    EXPECT_EQ(ReadText(tmp.path / "list" / "t.txt"), "a\r\nb\r\n\r\nc");
#ifndef _WIN32
    WriteText(tmp.path / "list" / "not utf-8 \xff", "a name the program cannot spell");
#endif
    std::vector<DirectoryEntry> entries;
    EXPECT_TRUE(ListDirectory(list, entries));
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    std::vector<std::u16string> listed;
    for (const DirectoryEntry& entry : entries) listed.push_back(entry.name + (entry.isDirectory ? u"/" : u""));
    EXPECT_EQ(listed, (std::vector<std::u16string>{u"sub/", u"t.txt"}));
    EXPECT_FALSE(ListDirectory(root + u"missing", entries));
    EXPECT_TRUE(MoveFileReplacing(list + u"t.txt", root + u"big.bin"));
    EXPECT_EQ(ReadText(tmp.path / "big.bin"), "a\r\nb\r\n\r\nc");
    EXPECT_FALSE(fs::exists(tmp.path / "list" / "t.txt"));

    // A safe replace leaves the old or the new file and removes only its own leftovers.
    ClearLog();
    const fs::path files = tmp.path / "files";
    fs::create_directory(files);
    root = W(files) + u"/";
    ASSERT_TRUE(WriteFileReplacingSafely(root + u"s.xml", "old"));
    ASSERT_TRUE(WriteFileReplacingSafely(root + u"s.xml", "new"));
    EXPECT_EQ(ReadText(files / "s.xml"), "new");
    fs::create_directory(files / "folder.xml");
    EXPECT_FALSE(WriteFileReplacingSafely(root + u"folder.xml", "x"));
    EXPECT_FALSE(WriteFileReplacingSafely(root + u"missing\\p.xml", "x"));
    EXPECT_EQ(FileNames(files), (std::vector<std::string>{"folder.xml", "s.xml"}));
    const std::string prefix = "ERROR: Can't save " + files.string();
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{prefix + "/folder.xml: Is a directory",
                                                        prefix + "/missing\\p.xml: No such file or directory"}));
#ifndef _WIN32
    // A link is written through: it stays a link, its target gets the data
    // (created when missing) and keeps its permissions; leftovers beside the
    // target are found through the link.
    fs::create_directory(files / "real");
    fs::create_symlink("real/target.xml", files / "link.xml");
    ASSERT_TRUE(WriteFileReplacingSafely(root + u"link.xml", "one"));
    fs::permissions(files / "real" / "target.xml", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(WriteFileReplacingSafely(root + u"link.xml", "two"));
    EXPECT_TRUE(fs::is_symlink(files / "link.xml"));
    EXPECT_EQ(ReadText(files / "real" / "target.xml"), "two");
    EXPECT_EQ(fs::status(files / "real" / "target.xml").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    WriteText(files / "real" / ".target.xml.77-1.vantrel-tmp", "half");
    RemoveInterruptedSaves(root + u"link.xml");
    EXPECT_EQ(FileNames(files / "real"), std::vector<std::string>{"target.xml"});
#endif

    WriteText(files / ".s.xml.123-4.vantrel-tmp", "half");
    WriteText(files / "s.xml.new", "left by an older version");
    WriteText(files / ".other.xml.123-4.vantrel-tmp", "another file's");
    WriteText(files / ".s.xml.notes", "someone else's");
    fs::create_directory(files / ".s.xml.5-5.vantrel-tmp");
    RemoveInterruptedSaves(root + u"s.xml");
    EXPECT_EQ(ReadText(files / "s.xml"), "new");
    for (const char* gone : {".s.xml.123-4.vantrel-tmp", "s.xml.new"}) EXPECT_FALSE(fs::exists(files / gone)) << gone;
    for (const char* kept : {".other.xml.123-4.vantrel-tmp", ".s.xml.notes", ".s.xml.5-5.vantrel-tmp"}) {
        EXPECT_TRUE(fs::exists(files / kept)) << kept;
    }
}

TEST(Sha256, KnownDigestsAcrossTheBlockBoundaries) {
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),  // 56 bytes: two tail blocks
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}
