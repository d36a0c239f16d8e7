// ConvertToShiftJis on hand-made inputs: each case names the encoding form
// it exercises and the exact Shift-JIS bytes it must give.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/ShiftJisConverter.h"

namespace {

std::string Convert(const std::string& input) {
  std::vector<char> output(2 * input.size() + 1, '\x55');
  EXPECT_EQ(ConvertToShiftJis(output.data(), input.c_str()), 1);
  return std::string(output.data());
}

struct Case {
  const char* name;
  std::string input;
  std::string expected;
};

void ExpectAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(Convert(c.input), c.expected) << c.name;
}

const std::string kKaEuc = "\xA5\xAB";      // カ in EUC-JP
const std::string kKa = "\x83\x4A";         // カ in Shift-JIS
const std::string kGa = "\x83\x4B";         // ガ
const std::string kAShiftJis = "\x82\xA0";  // あ, settles the text as Shift-JIS

TEST(ConvertToShiftJis, AsciiAndEmptyInputPassUnchanged) {
  ExpectAll({
      {"empty", "", ""},
      {"ascii with controls", "a\tb\r\nc\x01 ~\x7F!", "a\tb\r\nc\x01 ~\x7F!"},
      {"shift in and out vanish",
       "a\x0E\x0F"
       "b",
       "ab"},
  });
}

TEST(ConvertToShiftJis, JisEscapeSequences) {
  ExpectAll({
      {"ESC $ B", "\x1B$B%+\x1B(B", kKa},
      {"ESC $ @", "\x1B$@%+", kKa},
      {"ESC $ ( B", "\x1B$(B%+\x1B(Jx", kKa + "x"},
      {"ESC $ ( @", "\x1B$(@%+\x1B(Hx", kKa + "x"},
      {"ascii between characters", "\x1B$B%+\x1B(B-\x1B$B%+", kKa + "-" + kKa},
      {"unknown ESC $ ( g", "\x1B$(Zx", "\x1B$(Zx"},
      {"unknown ESC $ f", "\x1B$Zx", "\x1B$Zx"},
      {"unknown ESC ( f", "\x1B(Zx", "\x1B(Zx"},
      {"unknown ESC e", "\x1BZx", "\x1BZx"},
      {"byte after ESC ( is not read as a new ESC", "\x1B(\x1B$B%+", "\x1B(\x1B$B%+"},
      {"ends after ESC", "a\x1B", "a\x1B"},
      {"ends after ESC $", "\x1B$", "\x1B$"},
      {"ends after ESC $ (", "\x1B$(", "\x1B$("},
      {"ends after ESC (", "\x1B(", "\x1B("},
  });
}

TEST(ConvertToShiftJis, SevenBitKanjiPairBrokenByControlByte) {
  ExpectAll({
      {"line feed inside a pair drops both", "\x1B$B%\n+", ""},
      {"line feed between characters passes", "\x1B$B%+\n%+", kKa + "\n" + kKa},
      {"DEL inside a pair drops both", "\x1B$B%\x7F%+", kKa},
      {"pending lead dropped at the end", "\x1B$B%+%", kKa},
  });
}

TEST(ConvertToShiftJis, EucJp) {
  ExpectAll({
      {"kanji", kKaEuc, kKa},
      {"level 1 kanji", "\xB0\xA1", "\x88\x9F"},
      {"kana with voiced mark", kKaEuc + "\x8E\xB6\x8E\xDE", kKa + kGa},
      {"kana with semi-voiced mark", kKaEuc + "\x8E\xCA\x8E\xDF", kKa + "\x83\x70"},
      {"kana without sound forms", kKaEuc + "\x8E\xB1\x8E\xDE", kKa + "\x83\x41\x81\x4A"},
      {"kana followed by another kana", kKaEuc + "\x8E\xB6\x8E\xA5", kKa + kKa + "\x81\x45"},
      {"kana followed by ascii",
       kKaEuc + "\x8E\xB6"
                "A",
       kKa + kKa + "A"},
      {"0x8E before a non-kana byte is dropped",
       kKaEuc + "\x8E"
                "A",
       kKa + "A"},
      {"0x8E at the end", kKaEuc + "\x8E", kKa},
      {"0x8E after a kana at the end", kKaEuc + "\x8E\xB6\x8E", kKa + kKa + "\x8E"},
      {"lead before a control byte dropped",
       kKaEuc + "\xA5\x0A"
                "A",
       kKa + "A"},
  });
}

TEST(ConvertToShiftJis, KanjiAreConvertedByArithmeticNotThroughUnicode) {
  // 〜 maps to different Unicode characters in EUC-JP and CP932 tables.
  EXPECT_EQ(Convert("\xA1\xC1"), "\x81\x60");
}

TEST(ConvertToShiftJis, EucJisX0212IsNotKnown) {
  // 0x8F is below 0xA0: it switches to Shift-JIS and leads a pair.
  EXPECT_EQ(Convert(kKaEuc + "\x8F\xB0\xA1"), kKa + "\x8F\xB0\x81\x42");
}

TEST(ConvertToShiftJis, EucStartIsTakenForShiftJisWhenItBeginsWithKana) {
  // 0x8E is below 0xA0, so it decides Shift-JIS and its bytes pass through.
  EXPECT_EQ(Convert("\x8E\xB6"), "\x8E\xB6");
}

TEST(ConvertToShiftJis, ShiftJis) {
  ExpectAll({
      {"kanji", kKa, kKa},
      {"half-width kana after settling", kAShiftJis + "\xB6", kAShiftJis + kKa},
      {"voiced", kAShiftJis + "\xB6\xDE", kAShiftJis + kGa},
      {"semi-voiced", kAShiftJis + "\xCA\xDF", kAShiftJis + "\x83\x70"},
      {"semi-voiced mark that does not merge", kAShiftJis + "\xB6\xDF",
       kAShiftJis + kKa + "\x81\x4B"},
      {"kana at the end", kAShiftJis + "\xCA", kAShiftJis + "\x83\x6E"},
      {"0xA0 is the ideographic space", kAShiftJis + "\xA0", kAShiftJis + "\x81\x40"},
      {"lead before a byte below 0x40 dropped",
       kAShiftJis + "\x83\x30"
                    "A",
       kAShiftJis + "A"},
      {"0xF0 lead with trail 0x9F or above", kAShiftJis + "\xF0\xDD", kAShiftJis + "\x5F"},
      {"first 8-bit byte below 0x40 trail",
       "\x83\x20"
       "A",
       "A"},
  });
}

TEST(ConvertToShiftJis, ShiftJisUserAreaGivesZeroByte) {
  std::string input = kAShiftJis +
                      "\xF0\xFE"
                      "A";
  std::vector<char> output(2 * input.size() + 1, '\x55');
  ConvertToShiftJis(output.data(), input.c_str());
  EXPECT_EQ(std::string(output.data(), 5), kAShiftJis + std::string("\0A\0", 3));
}

TEST(ConvertToShiftJis, HalfWidthKanaEarlyDecidesEucAndLaterByteSwitchesToShiftJis) {
  ExpectAll({
      {"0xA0 alone waits for a second byte", "\xA0", ""},
      {"euc then a Shift-JIS byte", kKaEuc + kKa, kKa + kKa},
      // Without the switch 0xB6 would read as EUC lead of the next pair.
      {"half-width kana alone is an EUC lead", "\xB6\xDE", "\x8B\xDC"},
  });
}

TEST(ConvertToShiftJis, UnconvertiblePairReopensDetection) {
  // 0xF0 0x40 lies in the Shift-JIS user area: dropped, and the following
  // EUC pair is detected afresh instead of read as two half-width kana.
  EXPECT_EQ(Convert(kAShiftJis + "\xF0\x40" + kKaEuc), kAShiftJis + kKa);
}

TEST(ConvertToShiftJis, AmbiguousStartIsHeldUntilDecided) {
  const std::string ambiguous = "\xE0\xA1";  // a Shift-JIS kanji, or an EUC one
  ExpectAll({
      {"decided Shift-JIS by a later lead", ambiguous + ambiguous + kKa,
       ambiguous + ambiguous + kKa},
      {"decided Shift-JIS by a later trail", ambiguous + "\xE0\x80", ambiguous + "\xE0\x80"},
      {"decided EUC by a later lead", ambiguous + "\xB0\xA1", "\xE0\x9F\x88\x9F"},
      {"undecided defaults to EUC", ambiguous, "\xE0\x9F"},
      {"ascii held in between", ambiguous + " x" + kKa, ambiguous + " x" + kKa},
      {"held lead lost at the end", ambiguous + "\xE0", "\xE0\x9F"},
      {"control byte after a held lead", ambiguous + "\xE0\x0A" + kKaEuc, "\xE0\x9F\x0A" + kKa},
  });
}

TEST(ConvertToShiftJis, HoldBufferStopsAfter32Pairs) {
  std::string ambiguous;
  for (int i = 0; i < 33; ++i) ambiguous += "\xE0\xA1";
  std::string expected;
  for (int i = 0; i < 32; ++i) expected += "\xE0\x9F";  // flushed as EUC
  expected += "\xE0\xA1" + kKa;                         // the rest decided by 0x83
  EXPECT_EQ(Convert(ambiguous + kKa), expected);
}

TEST(ConvertToShiftJis, SevenBitKana) {
  ExpectAll({
      {"SO with voiced mark",
       "\x0E"
       "6^\x0F",
       kGa},
      {"SO, U has no voiced form",
       "\x0E"
       "3^",
       "\x83\x45\x81\x4A"},
      {"SO with semi-voiced mark",
       "\x0E"
       "J_\x0F"
       "J",
       "\x83\x70"
       "J"},
      {"SO kana at the end",
       "\x0E"
       "6",
       kKa},
      {"SO byte above kana range written 8-bit",
       "\x0E"
       "`~",
       "\xE0\xFE"},
      {"SO space passes",
       "\x0E"
       "1 1",
       "\x83\x41 \x83\x41"},
      {"ESC ( I",
       "\x1B(I6^1\x1B(B"
       "1",
       kGa + "\x83\x41"
             "1"},
      {"ESC $ B ends ESC ( I", "\x1B(I1\x1B$B%+", "\x83\x41" + kKa},
      {"SO inside kanji mode",
       "\x1B$B\x0E"
       "1\x0F%+",
       "\x83\x41" + kKa},
  });
}

TEST(ConvertToShiftJis, EachCallStartsAfresh) {
  EXPECT_EQ(Convert(kAShiftJis), kAShiftJis);
  // Read alone, 0xB6 0xDE is an EUC pair; the earlier Shift-JIS text must not
  // turn it into a half-width kana.
  EXPECT_EQ(Convert("\xB6\xDE"), "\x8B\xDC");
  EXPECT_EQ(Convert("\x1B$B"), "");
  EXPECT_EQ(Convert("%+"), "%+");
}

}  // namespace
