#include "cli/ProgressText.h"

#include <algorithm>
#include <cstdio>

#include "platform/Utf8Prefix.h"

namespace {

constexpr std::size_t kNameBytes = 40;

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

std::string ProgressLine(std::string_view name, std::int64_t bytes, std::int64_t expectedSize,
                         double bytesPerSecond) {
  std::string line(Utf8Prefix(name, kNameBytes));
  char percentage[8] = " --%";
  if (expectedSize > 0) {
    std::snprintf(percentage, sizeof percentage, "%3d%%",
                  static_cast<int>(std::min<std::int64_t>(100, bytes * 100 / expectedSize)));
  }
  line += "  ";
  line += percentage;
  line += "  " + FormatBytes(bytes) + "  " + FormatBytes(static_cast<std::int64_t>(bytesPerSecond)) + "/s";
  return line;
}
