#include "cli/ProgressText.h"

#include <algorithm>
#include <cstdio>

#include "cli/TerminalText.h"

namespace {

constexpr std::size_t kShortestName = 12;  // columns a name keeps before other parts go
constexpr std::string_view kCutMark = "…";
constexpr std::string_view kGap = "  ";

std::string FormatDuration(std::int64_t seconds) {
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  }
  return text;
}

std::string FileTransferText(const ProgressFigures& figures) {
  char percentage[8] = " --%";
  if (figures.expectedSize > 0) {
    std::snprintf(
        percentage, sizeof percentage, "%3d%%",
        static_cast<int>(std::min<std::int64_t>(100, figures.bytes * 100 / figures.expectedSize)));
  }
  std::string text = percentage;
  text += kGap;
  text += FormatBytes(figures.bytes);
  text += kGap;
  text += FormatBytes(static_cast<std::int64_t>(figures.bytesPerSecond));
  text += "/s";
  return text;
}

std::string TimeLeftText(const ProgressFigures& figures) {
  if (figures.expectedSize <= 0) return {};
  const std::int64_t remaining = std::max<std::int64_t>(0, figures.expectedSize - figures.bytes);
  if (figures.bytesPerSecond < 1) return "--:-- left";
  return FormatDuration(
             static_cast<std::int64_t>(static_cast<double>(remaining) / figures.bytesPerSecond)) +
         " left";
}

std::string FitName(std::string_view name, std::size_t columns) {
  if (TerminalColumns(name) <= columns) return std::string(name);
  if (columns == 0) return {};
  return std::string(TerminalPrefix(name, columns - 1)) + std::string(kCutMark);
}

}  // namespace

std::string FormatBytes(std::int64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " B";
  constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit >= 2 ? "%.2f %s" : "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string FormatCount(std::size_t count) {
  const std::string digits = std::to_string(count);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string ProgressLine(const ProgressFigures& figures, std::size_t columns) {
  const std::size_t usable = columns > 0 ? columns - 1 : 0;
  // The parts besides the name, in the order they are given up.
  std::string run = figures.runSize > 0 ? "list " + FormatBytes(figures.runBytes) + " of " +
                                              FormatBytes(figures.runSize)
                                        : std::string();
  std::string count =
      "file " + std::to_string(figures.fileNumber) + " of " + std::to_string(figures.fileCount);
  std::string timeLeft = TimeLeftText(figures);
  const std::string transfer = FileTransferText(figures);
  const auto compose = [&](std::string_view name) {
    std::string line;
    if (!count.empty()) (line += count) += kGap;
    if (!name.empty()) (line += name) += kGap;
    line += transfer;
    for (const std::string* part : {&timeLeft, &run})
      if (!part->empty()) (line += kGap) += *part;
    return line;
  };
  // The name's columns come with the gap after it.
  const std::size_t nameNeeds =
      std::min(kShortestName, TerminalColumns(figures.name)) + kGap.size();
  for (std::string* optional : {&run, &count, &timeLeft}) {
    if (TerminalColumns(compose({})) + nameNeeds <= usable) break;
    optional->clear();
  }
  const std::size_t others = TerminalColumns(compose({})) + kGap.size();
  const std::string line = compose(FitName(figures.name, usable > others ? usable - others : 0));
  return std::string(TerminalPrefix(line, usable));
}
