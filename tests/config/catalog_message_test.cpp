// Message texts: the built-in English table, language files, the first "\n".
#include <gtest/gtest.h>

#include <string>

#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScratchFolder.h"

namespace {

class CatalogTest : public ::testing::Test {
 protected:
  ScratchProgramFolder program;
  void UseLanguage(const char* language) { WriteSetting("GENERAL", "LANGUAGE", language); }
};

TEST_F(CatalogTest, EnglishAndStarSelectTheBuiltInTable) {
  for (const char* language : {"*", "English", "ENGLISH", "*anything"}) {
    UseLanguage(language);
    EXPECT_EQ(GetMessageText("1013"), "Asscociated") << language;
    EXPECT_EQ(GetMessageText("1001"), "*") << language;
    for (const char* ownKey : {"0101", "0102"}) EXPECT_NE(GetMessageText(ownKey), "*") << ownKey;
  }
  EXPECT_EQ(GetMessageText("0004"),
            "Could not run WinAmp version 2.X. QEM is not support WinAmp 3.X yet.\nIs download "
            "continued? ");
}

TEST_F(CatalogTest, DefaultLanguageOfAJapaneseUserIsJapaneseAndIsWrittenBack) {
  const ScopedEnvironment lang("LANG", "ja_JP.UTF-8");
  EXPECT_EQ(GetMessageText("2001"), "*") << "no Japanese.lng in this folder";
  EXPECT_EQ(ReadSetting("GENERAL", "LANGUAGE", -1), "Japanese");
}

TEST_F(CatalogTest, LanguageFileGivesItsTextsAndNothingElse) {
  WriteFileText(program / "Deutsch.lng",
                "[MESSAGE]\n2003=&Schliessen\n1001=\n0005=Netz\\nFehler\\nzwei\n");
  UseLanguage("Deutsch");
  EXPECT_EQ(LanguageFilePath("Deutsch"), program / "Deutsch.lng");
  EXPECT_EQ(GetMessageText("2003"), "&Schliessen");
  EXPECT_EQ(GetMessageText("1001"), "") << "an empty text is a text";
  EXPECT_EQ(GetMessageText("1013"), "*") << "no fallback to English";
  EXPECT_EQ(GetMessageText("0005"), "Netz\n Fehler\\nzwei");
}

TEST_F(CatalogTest, MissingLanguageFileYieldsStarForEveryKey) {
  UseLanguage("Klingon");
  EXPECT_EQ(GetMessageText("0001"), "*");
  EXPECT_EQ(GetMessageText("2006"), "*");
}

TEST_F(CatalogTest, ShippedJapaneseFileTranslatesEveryKeyTheProgramAsks) {
  // The copy the build puts beside the program, as an install does.
  const std::string shipped = ReadFileText(std::string(TF_PROGRAM_DIR) + "/Japanese.lng");
  ASSERT_FALSE(shipped.empty());
  WriteFileText(program / "Japanese.lng", shipped);
  UseLanguage("Japanese");
  const char* keys[] = {"0001", "0002", "0004", "0005", "0008", "0101", "0102", "1000", "1001",
                        "1002", "1003", "1004", "1005", "1006", "1007", "1008", "1009", "1010",
                        "1011", "1013", "1014", "1015", "1016", "1018", "1019", "1020", "1101",
                        "1102", "1103", "1104", "1201", "1205", "1206", "2001", "2002", "2003",
                        "2004", "2005", "2006", "3001", "3002", "3003", "3004"};
  for (const char* key : keys) {
    std::string text = GetMessageText(key);
    EXPECT_NE(text, "*") << key;
    EXPECT_FALSE(text.empty()) << key;
  }
  EXPECT_NE(GetMessageText("0004").find('\n'), std::string::npos);
}

}  // namespace
