// Field splitting, line ends, hexadecimal colours and decimal numbers.
#include <gtest/gtest.h>

#include <string>

#include "config/TextFields.h"

namespace {

TEST(GetFieldTest, SplitsAtEveryDelimiterWithoutTrimming) {
  const std::string text = "a|b||d";
  EXPECT_EQ(GetField(text, 0, "|"), "a");
  EXPECT_EQ(GetField(text, 1, "|"), "b");
  EXPECT_EQ(GetField(text, 2, "|"), "");
  EXPECT_EQ(GetField(text, 3, "|"), "d");
  EXPECT_EQ(GetField(text, 4, "|"), "");
  EXPECT_EQ(GetField(text, -1, "|"), text);
  EXPECT_EQ(GetField(" x , y", 1, ",;"), " y") << "only the separator's first character counts";
}

TEST(GetFieldTest, LooksAtTheFirst1022BytesOnly) {
  std::string text = std::string(1021, 'a') + "|bc";
  EXPECT_EQ(GetField(text, -1, "|").size(), 1022u);
  EXPECT_EQ(GetField(text, 1, "|"), "");
  EXPECT_EQ(GetField(std::string(1020, 'a') + "|bc", 1, "|"), "b");
}

TEST(GetFieldTest, DelimiterInsideDoubleByteCharacterEndsTheField) {
  // 0x7C ("|") as the second byte of a Shift-JIS pair still splits.
  EXPECT_EQ(GetField("\x83\x7C"
                     "x",
                     1, "|"),
            "x");
}

TEST(StripLineEndTest, RemovesLfOrCrLfOnly) {
  struct Case {
    std::string in, out;
    bool removed;
  } cases[] = {
      {"abc\r\n", "abc", true}, {"abc\n", "abc", true}, {"abc\r", "abc\r", false},
      {"\n", "", true},         {"", "", false},        {"a\n\n", "a\n", true},
  };
  for (Case& c : cases) {
    std::string text = c.in;
    EXPECT_EQ(StripLineEnd(text), c.removed) << c.in;
    EXPECT_EQ(text, c.out);
  }
}

TEST(HexTest, ColoursAreWrittenRedGreenBlue) {
  EXPECT_EQ(HexToColor("FF8000"), 0x80FFu);
  EXPECT_EQ(HexToColor("12345678"), 0x785634u);
  EXPECT_EQ(HexToColor(""), 0u);
  EXPECT_EQ(HexToInt("1aZ"), 26u);
  EXPECT_EQ(HexToInt("#FF"), 0u);
  EXPECT_EQ(HexToInt("0xFF"), 0u);
  EXPECT_EQ(HexToInt("123456789"), 0x23456789u) << "overflow wraps";
}

TEST(ParseDecimalIntTest, ReadsLeadingDigitsLikeTheCLibrary) {
  EXPECT_EQ(ParseDecimalInt("  42abc"), 42);
  EXPECT_EQ(ParseDecimalInt("-17"), -17);
  EXPECT_EQ(ParseDecimalInt("+8"), 8);
  EXPECT_EQ(ParseDecimalInt("*"), 0);
  EXPECT_EQ(ParseDecimalInt(""), 0);
  EXPECT_EQ(ParseDecimalInt("- 5"), 0);
  EXPECT_EQ(ParseDecimalInt("99999999999999"), 2147483647);
  EXPECT_EQ(ParseDecimalInt("-99999999999999"), -2147483647 - 1);
}

}  // namespace
