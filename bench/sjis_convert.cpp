// Throughput of ConvertToShiftJis against nkf and glibc iconv on the same
// 10 MB corpus: lines of EUC-JP, ISO-2022-JP, Shift-JIS, ASCII and half-width
// katakana (in each of their forms), 20 to 200 bytes each, like the fields of
// download lists.
//
// - converter per line: one call per line, as the list reader does;
// - converter whole corpus: one call over all 10 MB;
// - nkf -s: the corpus file through the nkf program (process start included);
// - iconv per line: glibc iconv told each line's encoding (it does no
//   detection and no half-width to full-width conversion, so it does less).
// Prints MB/s of input (1 MB = 10^6 bytes), best of three runs.

#include <iconv.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/ShiftJisConverter.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr size_t kCorpusBytes = 10'000'000;
constexpr int kRuns = 3;

enum class Encoding { Euc, Jis, ShiftJis, Ascii };

struct Line {
  Encoding encoding;
  std::string bytes;
};

std::string Kanji(std::mt19937& random, Encoding encoding) {
  int row = 0x30 + static_cast<int>(random() % 0x1F);  // level-1 kanji rows, all assigned
  int column = 0x21 + static_cast<int>(random() % 0x5E);
  if (encoding == Encoding::Euc)
    return {static_cast<char>(row | 0x80), static_cast<char>(column | 0x80)};
  if (encoding == Encoding::Jis) return {static_cast<char>(row), static_cast<char>(column)};
  int first = (row + 1) / 2 + 0x70;
  int second = (row % 2 == 1) ? column + (column >= 0x60 ? 0x20 : 0x1F) : column + 0x7E;
  return {static_cast<char>(first), static_cast<char>(second)};
}

// One line: Japanese lines start with a kanji, so the encoding is decided at
// once, then mix kanji, half-width katakana and ASCII.
Line MakeLine(std::mt19937& random) {
  auto encoding = static_cast<Encoding>(random() % 4);
  size_t length = 20 + random() % 181;
  std::string bytes;
  if (encoding == Encoding::Ascii) {
    while (bytes.size() < length) bytes += static_cast<char>('a' + random() % 26);
    return {encoding, bytes + "/track.mp3"};
  }
  bool kanji = true;
  if (encoding == Encoding::Jis) bytes += "\x1B$B";
  bytes += Kanji(random, encoding);
  while (bytes.size() < length) {
    switch (random() % 3) {
      case 0:
        if (encoding == Encoding::Jis && !kanji) bytes += "\x1B$B";
        kanji = true;
        bytes += Kanji(random, encoding);
        break;
      case 1: {
        char kana = static_cast<char>(0xA1 + random() % 0x3F);
        if (encoding == Encoding::Jis) {
          bytes += "\x1B(I";
          bytes += static_cast<char>(kana - 0x80);
          bytes += "\x1B(B";
          kanji = false;
        } else if (encoding == Encoding::Euc) {
          bytes += "\x8E";
          bytes += kana;
        } else {
          bytes += kana;
        }
        break;
      }
      default:
        if (encoding == Encoding::Jis && kanji) bytes += "\x1B(B";
        kanji = false;
        bytes += " 01-";
        break;
    }
  }
  if (encoding == Encoding::Jis && kanji) bytes += "\x1B(B";
  return {encoding, bytes};
}

double BestSeconds(const std::function<void()>& run) {
  double best = 1e9;
  for (int i = 0; i < kRuns; ++i) {
    auto start = std::chrono::steady_clock::now();
    run();
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (elapsed.count() < best) best = elapsed.count();
  }
  return best;
}

void Report(const char* name, size_t bytes, double seconds) {
  std::printf("%-28s %8.1f MB/s\n", name, static_cast<double>(bytes) / 1e6 / seconds);
}

const char* IconvName(Encoding encoding) {
  switch (encoding) {
    case Encoding::Euc:
      return "EUC-JP";
    case Encoding::Jis:
      return "ISO-2022-JP";
    case Encoding::ShiftJis:
      return "CP932";
    case Encoding::Ascii:
      return "ASCII";
  }
  return "ASCII";
}

}  // namespace

int main() {
  std::mt19937 random(2026);
  std::vector<Line> lines;
  std::string corpus;
  while (corpus.size() < kCorpusBytes) {
    lines.push_back(MakeLine(random));
    corpus += lines.back().bytes + "\n";
  }
  std::printf("corpus: %zu bytes in %zu lines\n", corpus.size(), lines.size());

  std::vector<char> output(2 * corpus.size() + 1);
  volatile char sink = 0;  // keeps the conversions from being optimised away
  Report("converter per line", corpus.size(), BestSeconds([&] {
           for (const Line& line : lines) {
             ConvertToShiftJis(output.data(), line.bytes.c_str());
             sink = sink + output[0];
           }
         }));
  Report("converter whole corpus", corpus.size(), BestSeconds([&] {
           ConvertToShiftJis(output.data(), corpus.c_str());
           sink = sink + output[0];
         }));

  ScratchFolder folder;
  WriteFileText(folder / "corpus.txt", corpus);
  std::string command =
      "nkf -s < '" + (folder / "corpus.txt") + "' > '" + (folder / "out.txt") + "'";
  bool nkfFailed = false;
  double nkfSeconds = BestSeconds([&] { nkfFailed |= std::system(command.c_str()) != 0; });
  if (nkfFailed) {
    std::printf("%-28s failed (is nkf installed?)\n", "nkf -s");
  } else {
    Report("nkf -s", corpus.size(), nkfSeconds);
  }

  iconv_t converters[4];
  for (int e = 0; e < 4; ++e)
    converters[e] = iconv_open("CP932", IconvName(static_cast<Encoding>(e)));
  Report("iconv per line", corpus.size(), BestSeconds([&] {
           for (const Line& line : lines) {
             iconv_t converter = converters[static_cast<int>(line.encoding)];
             iconv(converter, nullptr, nullptr, nullptr, nullptr);
             char* in = const_cast<char*>(line.bytes.data());
             size_t inLeft = line.bytes.size();
             char* out = output.data();
             size_t outLeft = output.size();
             while (iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) &&
                    inLeft > 0) {
               ++in;  // skip what it cannot convert (JIS kana), as a field reader would
               --inLeft;
             }
             sink = sink + output[0];
           }
         }));
  for (iconv_t converter : converters) iconv_close(converter);
  return 0;
}
