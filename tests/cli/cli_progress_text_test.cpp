// The progress line of the terminal front end: its text at several widths,
// and the rate it shows, smoothed over a few seconds.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "cli/ProgressText.h"
#include "cli/RateMeter.h"
#include "cli/TerminalText.h"

namespace {

using namespace std::chrono_literals;

TEST(ProgressTextTest, LineFitsEveryWidth) {
  const ProgressFigures sized{.name = "Take Five (live at the Village Gate)",
                              .bytes = 3 << 20,
                              .expectedSize = 6 << 20,
                              .bytesPerSecond = 256 * 1024,
                              .fileNumber = 3,
                              .fileCount = 17,
                              .runBytes = 10 << 20,
                              .runSize = 40 << 20};
  ProgressFigures unsized = sized;
  unsized.expectedSize = 0;
  unsized.runSize = 0;
  ProgressFigures starting = sized;
  starting.bytesPerSecond = 0;
  ProgressFigures wide = sized;
  const std::string kana = "\xe3\x81\x82";  // two columns each
  std::string wideName;
  for (int i = 0; i < 30; ++i) wideName += kana;
  wide.name = wideName;
  struct Case {
    const ProgressFigures& figures;
    std::size_t columns;
    std::string line;
  };
  const Case cases[] = {
      {sized, 120,
       "file 3 of 17  Take Five (live at the Village Gate)   50%  3.0 MiB  256.0 KiB/s  0:12 left  "
       "list 10.0 MiB of 40.0 MiB"},
      {sized, 80,
       "file 3 of 17  Take Five (live at the Vi…   50%  3.0 MiB  256.0 KiB/s  0:12 left"},
      {sized, 60, "Take Five (live at …   50%  3.0 MiB  256.0 KiB/s  0:12 left"},
      {sized, 40, "Take Five …   50%  3.0 MiB  256.0 KiB/s"},
      {sized, 20, " 50%  3.0 MiB  256."},
      {unsized, 80,
       "file 3 of 17  Take Five (live at the Village Gate)   --%  3.0 MiB  256.0 KiB/s"},
      {starting, 120,
       "file 3 of 17  Take Five (live at the Village Gate)   50%  3.0 MiB  0 B/s  --:-- left  "
       "list 10.0 MiB of 40.0 MiB"},
      {wide, 40, wideName.substr(0, 5 * kana.size()) + "…   50%  3.0 MiB  256.0 KiB/s"},
      {sized, 0, ""},
  };
  for (const Case& c : cases) {
    const std::string line = ProgressLine(c.figures, c.columns);
    EXPECT_EQ(line, c.line) << c.columns;
    EXPECT_LT(TerminalColumns(line), std::max<std::size_t>(c.columns, 1)) << line;
  }
}

TEST(ProgressTextTest, NumbersForPeople) {
  EXPECT_EQ(FormatBytes(812), "812 B");
  EXPECT_EQ(FormatBytes(12 * 1024), "12.0 KiB");
  EXPECT_EQ(FormatBytes(1100 << 20), "1.07 GiB");
  EXPECT_EQ(FormatCount(0), "0");
  EXPECT_EQ(FormatCount(999), "999");
  EXPECT_EQ(FormatCount(10234), "10,234");
  EXPECT_EQ(FormatCount(1234567), "1,234,567");
}

// A server that sends 100 KiB in one burst a second, sampled four times a
// second as the progress line is: the rate never reads 0 between bursts and
// reads the average once the window has filled.
TEST(ProgressTextTest, RateIsSmoothedOverSeconds) {
  RateMeter meter;
  const auto start = RateMeter::Clock::time_point{};
  meter.Restart(start);
  std::int64_t bytes = 0;
  for (auto at = 250ms; at <= 10s; at += 250ms) {
    if (at.count() % 1000 == 250) bytes += 100 * 1024;
    const double rate = meter.Add(start + at, bytes);
    if (at >= RateMeter::kWindow) {
      EXPECT_DOUBLE_EQ(rate, 100 * 1024) << at.count();
    } else {
      EXPECT_GT(rate, 0) << at.count();
    }
  }
  meter.Restart(start + 20s);  // a new file starts from nothing
  EXPECT_DOUBLE_EQ(meter.Add(start + 20500ms, 51200), 102400);
}

}  // namespace
