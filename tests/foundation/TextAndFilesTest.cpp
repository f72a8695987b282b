#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Sha256.h"
#include "app/Text.h"
#include "tests/support/TestEnv.h"

TEST(TextConversion, ValidTextRoundTripsAndInvalidInputGivesEmpty) {
    EXPECT_EQ(Utf8ToWide("abc"), u"abc");
    EXPECT_EQ(WideToUtf8(u"abc"), "abc");
    EXPECT_EQ(Utf8ToWide(""), u"");
    EXPECT_EQ(Utf8ToWide("Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x9A\x82"), u"Z\u00FCrich \u20AC \U0001F682");
    EXPECT_EQ(WideToUtf8(u"Z\u00FCrich \u20AC \U0001F682"), "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x9A\x82");

    EXPECT_EQ(Utf8ToWide("ab\xFF"), u"");             // byte that never starts a sequence
    EXPECT_EQ(Utf8ToWide("ab\xC3"), u"");             // truncated sequence
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), u"");           // overlong '/'
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), u"");       // encoded surrogate
    EXPECT_EQ(Utf8ToWide("\xF4\x90\x80\x80"), u"");   // past U+10FFFF
    EXPECT_EQ(WideToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b"), "");
    EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t(0xDC00))), "");
}

TEST(AppPathsTest, SettingsFileAndWorkFolderAreAppendedWithoutExtraSeparator) {
    SetAppPaths(u"/pref/", u"/prog/");
    EXPECT_EQ(AppPaths.settingsFile, u"/pref/settings.xml");
    EXPECT_EQ(AppPaths.workFolder, u"/prog/temp\\");
    EXPECT_EQ(APP_VERSION, u"1.04");
}

TEST(FileProbes, ProbesCreateAndRemoveOnBackslashPaths) {
    TempDir tmp;
    const std::u16string root = tmp.Wide();
    EXPECT_FALSE(PathExists(u""));
    EXPECT_FALSE(DirectoryExists(u""));

    const std::u16string nested = root + u"a\\b\\c";
    EXPECT_FALSE(CreateDirectories(nested));
    EXPECT_TRUE(DirectoryExists(nested));
    EXPECT_TRUE(fs::is_directory(tmp.path / "a" / "b" / "c"));

    const std::u16string file = nested + u"\\f.txt";
    EXPECT_FALSE(RemoveFileIfExists(file));  // nothing there: no error
    WriteText(tmp.path / "a/b/c/f.txt", "x");
    EXPECT_TRUE(PathExists(file));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(RemoveFileIfExists(file));
    EXPECT_FALSE(PathExists(file));

    // A folder cannot be removed as a file: the caller gets the error.
    WriteText(tmp.path / "a/b/c/inner.txt", "x");
    FileError error = RemoveFileIfExists(nested);
    EXPECT_TRUE(error);
    EXPECT_EQ(error.operation, "remove");
    EXPECT_EQ(error.path, nested);
}

TEST(FileIo, TextFilesGetCrLfAndSafeWritesKeepTheOldFileOnFailure) {
    TempDir tmp;
    const std::u16string root = tmp.Wide();
    ASSERT_TRUE(WriteTextFileCrLf(root + u"t.txt", "a\nb\n\nc"));
    EXPECT_EQ(ReadText(tmp.path / "t.txt"), "a\r\nb\r\n\r\nc");

    ASSERT_TRUE(WriteFileReplacingSafely(root + u"s.xml", "old"));
    ASSERT_TRUE(WriteFileReplacingSafely(root + u"s.xml", "new"));
    EXPECT_EQ(ReadText(tmp.path / "s.xml"), "new");
    EXPECT_FALSE(fs::exists(tmp.path / "s.xml.new"));

    // Something in the way of the temporary file makes the write fail.
    fs::create_directory(tmp.path / "s.xml.new");
    EXPECT_FALSE(WriteFileReplacingSafely(root + u"s.xml", "lost"));
    EXPECT_EQ(ReadText(tmp.path / "s.xml"), "new");

    std::vector<DirectoryEntry> entries;
    EXPECT_TRUE(ListDirectory(root, entries));
    EXPECT_EQ(entries.size(), 3u);
    EXPECT_FALSE(ListDirectory(root + u"missing", entries));

    EXPECT_TRUE(MoveFileReplacing(root + u"t.txt", root + u"s.xml"));
    EXPECT_EQ(ReadText(tmp.path / "s.xml"), "a\r\nb\r\n\r\nc");
    EXPECT_FALSE(fs::exists(tmp.path / "t.txt"));
}

TEST(Sha256, KnownDigestsAcrossTheBlockBoundaries) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),  // 56 bytes: two tail blocks
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}
