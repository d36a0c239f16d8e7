// ConvertToShiftJis against independent converters: nkf (run as a child
// process) and glibc iconv, over generated texts of JIS X 0208 characters,
// ASCII and half-width katakana written as EUC-JP, ISO-2022-JP and Shift-JIS.
//
// The texts stay inside the class where the converters must agree: the first
// Japanese character of every text is a level-1 kanji or non-kanji (JIS rows
// 0x21-0x4F), so its lead byte decides the encoding at once (Shift-JIS leads
// 0x81-0x9F, EUC leads 0xA1-0xDE), and ｳ is never followed by a voiced mark.
// The classes where they differ by design are pinned by the edge-case tests
// and listed in docs/japanese-text.md.

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/FieldText.h"
#include "core/ShiftJisConverter.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr int kTextsPerRun = 3000;
constexpr int kFirstLevel2Row = 0x50;

struct Kanji {
  int row;     // JIS first byte, 0x21..0x74
  int column;  // JIS second byte, 0x21..0x7E
};

// One piece of a generated text.
struct Piece {
  enum class Kind { Ascii, Kanji, Kana } kind;
  std::string ascii;
  Kanji kanji{};
  int kana = 0;  // 0xA1..0xDF, sound marks included
};
using Text = std::vector<Piece>;

std::optional<std::string> Iconv(const char* from, const char* to, const std::string& bytes) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(4 * bytes.size() + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* outPos = out.data();
  size_t outLeft = out.size();
  size_t result = iconv(converter, &in, &inLeft, &outPos, &outLeft);
  if (result != static_cast<size_t>(-1))
    result = iconv(converter, nullptr, nullptr, &outPos, &outLeft);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

std::string Convert(const std::string& input) {
  std::vector<char> output(2 * input.size() + 1);
  ConvertToShiftJis(output.data(), input.c_str());
  return output.data();
}

std::string EucOf(Kanji k) {
  return {static_cast<char>(k.row | 0x80), static_cast<char>(k.column | 0x80)};
}

// The textbook JIS to Shift-JIS arithmetic, written independently of the
// converter's.
std::string ShiftJisOf(Kanji k) {
  int first = (k.row + 1) / 2 + (k.row <= 0x5E ? 0x70 : 0xB0);
  int second = (k.row % 2 == 1) ? k.column + (k.column >= 0x60 ? 0x20 : 0x1F) : k.column + 0x7E;
  return {static_cast<char>(first), static_cast<char>(second)};
}

// Every JIS X 0208 code glibc knows, split into all of them and those that
// glibc's EUC-JP and code page 932 tables map to the same Unicode character
// (a handful, such as 〜 and ¢, differ between the two tables).
struct KanjiPool {
  std::vector<Kanji> all;
  std::vector<Kanji> sameInCp932;
};

KanjiPool CollectKanji() {
  KanjiPool pool;
  for (int row = 0x21; row <= 0x74; ++row) {
    for (int column = 0x21; column <= 0x7E; ++column) {
      Kanji k{row, column};
      if (!Iconv("EUC-JP", "UTF-8", EucOf(k))) continue;
      pool.all.push_back(k);
      if (Iconv("EUC-JP", "CP932", EucOf(k)) == ShiftJisOf(k) &&
          Iconv("CP932", "UTF-8", ShiftJisOf(k)) == Iconv("EUC-JP", "UTF-8", EucOf(k))) {
        pool.sameInCp932.push_back(k);
      }
    }
  }
  return pool;
}

enum class Contents { KanjiOnly, WithKana };

// A text whose first Japanese character comes from `first` (level 1, so it
// decides the encoding) and the rest from `kanji`.
Text MakeText(std::mt19937& random, const std::vector<Kanji>& first,
              const std::vector<Kanji>& kanji, Contents contents) {
  static const std::string kAsciiBytes = "abcxyzABCXYZ0189 .-_";
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  Text text;
  // Starts with ASCII or not, then a deciding character.
  if (pick(2) == 0) text.push_back({Piece::Kind::Ascii, "ab ", {}, 0});
  text.push_back({Piece::Kind::Kanji, "",
                  first[static_cast<size_t>(pick(static_cast<int>(first.size())))], 0});
  int length = 1 + pick(24);
  for (int i = 0; i < length; ++i) {
    int kind = pick(contents == Contents::WithKana ? 10 : 7);
    if (kind < 2) {
      std::string ascii;
      for (int n = 1 + pick(4); n > 0; --n)
        ascii += kAsciiBytes[static_cast<size_t>(pick(static_cast<int>(kAsciiBytes.size())))];
      text.push_back({Piece::Kind::Ascii, ascii, {}, 0});
    } else if (kind < 7) {
      text.push_back({Piece::Kind::Kanji, "",
                      kanji[static_cast<size_t>(pick(static_cast<int>(kanji.size())))], 0});
    } else {
      int kana = 0xA1 + pick(0xDF - 0xA1 + 1);
      int mark = pick(3) == 0 ? 0 : 0xDE + pick(2);  // marks after any kana, merging or not
      bool afterU = text.back().kind == Piece::Kind::Kana && text.back().kana == 0xB3;
      if (afterU && kana == 0xDE) kana = 0xDF;  // ｳﾞ: nkf makes ヴ, we do not
      if (kana == 0xB3 && mark == 0xDE) mark = 0;
      text.push_back({Piece::Kind::Kana, "", {}, kana});
      if (mark != 0) text.push_back({Piece::Kind::Kana, "", {}, mark});
    }
  }
  return text;
}

std::string AsShiftJis(const Text& text) {
  std::string out;
  for (const Piece& p : text) {
    if (p.kind == Piece::Kind::Ascii) out += p.ascii;
    if (p.kind == Piece::Kind::Kanji) out += ShiftJisOf(p.kanji);
    if (p.kind == Piece::Kind::Kana) out += static_cast<char>(p.kana);
  }
  return out;
}

std::string AsEuc(const Text& text) {
  std::string out;
  for (const Piece& p : text) {
    if (p.kind == Piece::Kind::Ascii) out += p.ascii;
    if (p.kind == Piece::Kind::Kanji) out += EucOf(p.kanji);
    if (p.kind == Piece::Kind::Kana) out += "\x8E" + std::string(1, static_cast<char>(p.kana));
  }
  return out;
}

// ISO-2022-JP; half-width kana as ESC ( I runs or as SO/SI runs. Every text
// ends in ASCII, as a line of a JIS file does.
enum class JisKana { EscapeRun, ShiftOutRun };

std::string AsJis(const Text& text, JisKana kanaForm) {
  enum class Mode { Ascii, Kanji, Kana } mode = Mode::Ascii;
  std::string out;
  auto enter = [&](Mode wanted) {
    if (mode == wanted) return;
    if (mode == Mode::Kana && kanaForm == JisKana::ShiftOutRun) out += '\x0F';
    if (wanted == Mode::Ascii) out += "\x1B(B";
    if (wanted == Mode::Kanji) out += "\x1B$B";
    if (wanted == Mode::Kana)
      out +=
          kanaForm == JisKana::EscapeRun ? "\x1B(I" : (mode == Mode::Kanji ? "\x1B(B\x0E" : "\x0E");
    mode = wanted;
  };
  for (const Piece& p : text) {
    if (p.kind == Piece::Kind::Ascii) {
      enter(Mode::Ascii);
      out += p.ascii;
    } else if (p.kind == Piece::Kind::Kanji) {
      enter(Mode::Kanji);
      out += {static_cast<char>(p.kanji.row), static_cast<char>(p.kanji.column)};
    } else {
      enter(Mode::Kana);
      out += static_cast<char>(p.kana - 0x80);
    }
  }
  enter(Mode::Ascii);
  return out;
}

// Runs `nkf <options>` over the texts, one per line, and returns its lines.
std::vector<std::string> RunNkf(const std::string& options, const std::vector<std::string>& texts) {
  ScratchFolder folder;
  std::string input;
  for (const std::string& text : texts) input += text + "\n";
  WriteFileText(folder / "in.txt", input);
  std::string command = "timeout 20 nkf " + options + " < '" + (folder / "in.txt") + "' > '" +
                        (folder / "out.txt") + "'";
  if (std::system(command.c_str()) != 0) {
    ADD_FAILURE() << "nkf failed: " << command;
    return {};
  }
  std::string output = ReadFileText(folder / "out.txt");
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(output.substr(start, end - start));
  }
  return lines;
}

class SjisDifferential : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_pool = new KanjiPool(CollectKanji()); }
  static void TearDownTestSuite() {
    delete s_pool;
    s_pool = nullptr;
  }

  std::vector<Text> MakeTexts(unsigned seed, const std::vector<Kanji>& kanji, Contents contents) {
    std::vector<Kanji> level1;
    for (Kanji k : kanji) {
      if (k.row < kFirstLevel2Row) level1.push_back(k);
    }
    std::mt19937 random(seed);
    std::vector<Text> texts;
    for (int i = 0; i < kTextsPerRun; ++i)
      texts.push_back(MakeText(random, level1, kanji, contents));
    return texts;
  }

  static KanjiPool* s_pool;
};

KanjiPool* SjisDifferential::s_pool = nullptr;

TEST_F(SjisDifferential, PoolCoversJisX0208) {
  // 6879 characters in JIS X 0208:1990; glibc may add a few vendor rows.
  EXPECT_GE(s_pool->all.size(), 6879u);
  EXPECT_GE(s_pool->sameInCp932.size(), 6800u);
}

TEST_F(SjisDifferential, AgreesWithNkfOnEveryForm) {
  std::vector<Text> texts = MakeTexts(5, s_pool->all, Contents::WithKana);
  struct Form {
    const char* name;
    const char* nkfInput;
    std::string (*write)(const Text&);
  };
  const Form forms[] = {
      {"Shift-JIS", "-S", AsShiftJis},
      {"EUC-JP", "-E", AsEuc},
      {"ISO-2022-JP, ESC ( I kana", "-J",
       [](const Text& t) { return AsJis(t, JisKana::EscapeRun); }},
      {"ISO-2022-JP, SO/SI kana", "-J",
       [](const Text& t) { return AsJis(t, JisKana::ShiftOutRun); }},
  };
  std::vector<std::string> reference;
  for (const Form& form : forms) {
    std::vector<std::string> written;
    for (const Text& text : texts) written.push_back(form.write(text));
    std::vector<std::string> nkf = RunNkf(std::string(form.nkfInput) + " -s", written);
    ASSERT_EQ(nkf.size(), texts.size()) << form.name;
    int mismatches = 0;
    for (size_t i = 0; i < texts.size() && mismatches < 5; ++i) {
      std::string ours = Convert(written[i]);
      if (ours != nkf[i]) {
        ++mismatches;
        ADD_FAILURE() << form.name << " text " << i << ": ours " << ::testing::PrintToString(ours)
                      << " nkf " << ::testing::PrintToString(nkf[i]);
      }
    }
    // All forms of one text convert to the same Shift-JIS.
    if (reference.empty()) {
      for (const std::string& w : written) reference.push_back(Convert(w));
    } else {
      for (size_t i = 0; i < texts.size(); ++i)
        ASSERT_EQ(Convert(written[i]), reference[i]) << form.name << " text " << i;
    }
  }
}

TEST_F(SjisDifferential, AgreesWithIconvOnKanjiTexts) {
  std::vector<Text> texts = MakeTexts(7, s_pool->sameInCp932, Contents::KanjiOnly);
  for (size_t i = 0; i < texts.size(); ++i) {
    std::string shiftJis = AsShiftJis(texts[i]);
    std::string euc = AsEuc(texts[i]);
    std::string jis = AsJis(texts[i], JisKana::EscapeRun);
    ASSERT_EQ(Iconv("EUC-JP", "CP932", euc), shiftJis) << i;
    ASSERT_EQ(Iconv("ISO-2022-JP", "CP932", jis), shiftJis) << i;
    ASSERT_EQ(Convert(euc), shiftJis) << i;
    ASSERT_EQ(Convert(jis), shiftJis) << i;
    ASSERT_EQ(Convert(shiftJis), shiftJis) << i;

    // The list field path gives what iconv gives from EUC-JP straight to
    // UTF-8, unless the EUC bytes happen to be valid UTF-8 and are kept.
    if (!Iconv("UTF-8", "UTF-16LE", euc)) {
      ASSERT_EQ(ConvertFieldText(euc), Iconv("EUC-JP", "UTF-8", euc)) << i;
    }
    ASSERT_EQ(ConvertFieldText(jis), Iconv("ISO-2022-JP", "UTF-8", jis)) << i;
  }
}

}  // namespace
