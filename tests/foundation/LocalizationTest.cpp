#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "settings/Localization.h"
#include "settings/Settings.h"
#include "tests/support/TestEnv.h"

TEST(LocalizationLookup, LanguageFallBacksDuplicatesAndCase) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    WriteText(tmp.path / "program" / "Data" / "Localization.xml",
              "<?xml version=\"1.0\"?>\n<localization>"
              "<onlyenglish english='Hello'/>"
              "<emptygerman english='Yes' german='' french='Oui'/>"
              "<onlyfrench french='Seul'/>"
              "<dup english='first'/><dup english='second'/>"
              "<percent english='100 % %s %d'/>"
              "</localization>");
    Localization::Load();
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{"Loading localization file..."}));

    Settings& settings = Settings::Instance();
    settings.Language = 0;
    EXPECT_EQ(Localization::Text("onlyenglish"), "Hello");
    EXPECT_EQ(Localization::Text("onlyfrench"), "");
    EXPECT_EQ(Localization::Text("dup"), "first");
    EXPECT_EQ(Localization::Text("percent"), "100 % %s %d");
    EXPECT_EQ(Localization::Text("OnlyEnglish"), "");
    EXPECT_EQ(Localization::Text("nosuchkey"), "");

    settings.Language = 1;
    EXPECT_EQ(Localization::Text("onlyenglish"), "Hello");
    EXPECT_EQ(Localization::Text("emptygerman"), "Oui");
    EXPECT_EQ(Localization::Text("onlyfrench"), "Seul");
    settings.Language = 2;
    EXPECT_EQ(Localization::Text("emptygerman"), "Yes");
    settings.Language = 3;
    EXPECT_EQ(Localization::Text("onlyenglish"), "");
    settings.Language = 0;

    fs::remove(tmp.path / "program" / "Data" / "Localization.xml");
    Localization::Load();
    EXPECT_EQ(ReadLogLines().back(), "Failed to load localization file");
    EXPECT_EQ(Localization::Text("onlyenglish"), "");
}
