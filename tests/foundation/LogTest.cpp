#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "app/Log.h"
#include "tests/support/TestEnv.h"

TEST(LogFile, EntriesAreAppendedInOrderOneLineEach) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    Log("first");
    Log(u"second");
    Log("");
    Log("two\nlines");
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{"first", "second", "", "two", "lines"}));

    ClearLog();
    EXPECT_FALSE(fs::exists(tmp.path / "pref" / "log.txt"));
    Log("fresh");
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{"fresh"}));
}

TEST(LogFile, SingleByteEncodingWithQuestionMarksForWhatDoesNotFit) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    Log("Z\xC3\xBCrich");                      // U+00FC fits in one byte
    Log(u"\u20AC and \U0001F682 end");         // neither fits; the pair is one character
    Log("\xFF not UTF-8");                      // invalid narrow text gives an empty entry
    Log("after");
    const std::string raw = ReadText(tmp.path / "pref" / "log.txt");
#ifdef _WIN32  // the line end goes through the platform's text mode
    EXPECT_EQ(raw, "Z\xFCrich\r\n? and ? end\r\n\r\nafter\r\n");
#else
    EXPECT_EQ(raw, "Z\xFCrich\n? and ? end\n\nafter\n");
#endif
}
