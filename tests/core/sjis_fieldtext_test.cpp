// ConvertFieldText: list fields in any Japanese encoding come out as UTF-8.

#include <gtest/gtest.h>

#include <string>

#include "core/FieldText.h"

namespace {

const std::string kKaUtf8 = "\xE3\x82\xAB";  // カ
const std::string kGaUtf8 = "\xE3\x82\xAC";  // ガ
const std::string kReplacement = "\xEF\xBF\xBD";

TEST(ConvertFieldText, EveryJapaneseEncodingBecomesUtf8) {
  EXPECT_EQ(ConvertFieldText("\x1B$B%+\x1B(B.mp3"), kKaUtf8 + ".mp3");
  EXPECT_EQ(ConvertFieldText("\xA5\xAB\x8E\xB6\x8E\xDE"), kKaUtf8 + kGaUtf8);
  EXPECT_EQ(ConvertFieldText("\x83\x4A\xB6\xDE"), kKaUtf8 + kGaUtf8);
  EXPECT_EQ(ConvertFieldText("jazz/a b.mp3"), "jazz/a b.mp3");
  EXPECT_EQ(ConvertFieldText(""), "");
}

TEST(ConvertFieldText, WaveDashComesOutAsCodePage932Reads) {
  EXPECT_EQ(ConvertFieldText("\xA1\xC1"), "\xEF\xBD\x9E");  // U+FF5E, not U+301C
}

TEST(ConvertFieldText, Utf8FieldIsKeptAsItStands) {
  // Run through the converter these bytes would be read as EUC and mangled.
  EXPECT_EQ(ConvertFieldText(kKaUtf8 + "/a.mp3"), kKaUtf8 + "/a.mp3");
  EXPECT_EQ(ConvertFieldText("caf\xC3\xA9"), "caf\xC3\xA9");
}

TEST(ConvertFieldText, InvalidUtf8GoesThroughTheConverter) {
  // An overlong "/" in UTF-8 is EUC for 政.
  EXPECT_EQ(ConvertFieldText("\xC0\xAF"), "\xE6\x94\xBF");
}

TEST(ConvertFieldText, UnmappableBytesBecomeReplacementCharacters) {
  // ESC ( followed by 0x80 is copied through; 0x80 is no character of code
  // page 932, and the text goes on after it.
  EXPECT_EQ(ConvertFieldText("a\x1B(\x80z"), "a\x1B(" + kReplacement + "z");
}

TEST(ConvertFieldText, LongKanaFieldIsNotCut) {
  // 600 half-width kana grow to 1200 Shift-JIS bytes, beyond a 1024-byte area.
  std::string field = "\x83\x4A";
  std::string expected = kKaUtf8;
  for (int i = 0; i < 600; ++i) {
    field += "\xB6";
    expected += kKaUtf8;
  }
  EXPECT_EQ(ConvertFieldText(field), expected);
}

TEST(ConvertFieldText, StopsAtNulLikeTheByteTextItStandsFor) {
  EXPECT_EQ(ConvertFieldText(std::string("ab\0\xA5\xAB", 5)), "ab");
  // A Shift-JIS pair 0xF0 0xFE converts to a zero byte, which ends the text.
  EXPECT_EQ(ConvertFieldText("\x83\x4A\xF0\xFE"
                             "b"),
            kKaUtf8);
}

}  // namespace
