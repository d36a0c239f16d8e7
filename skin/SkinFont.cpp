#include "skin/SkinFont.h"

#include <cstdint>
#include <limits>

int PointsToPixels(int points, int dpi) {
  if (dpi <= 0) dpi = kDefaultScreenDpi;
  const std::int64_t product = std::int64_t{points} * dpi;
  const std::int64_t magnitude = ((product < 0 ? -product : product) + 36) / 72;
  const std::int64_t result = product < 0 ? -magnitude : magnitude;
  if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
    return -1;
  return static_cast<int>(result);
}

SkinFontStyle ParseFontStyle(std::string_view letters) {
  SkinFontStyle style;
  if (letters.find('B') != std::string_view::npos) style.weight = FontWeight::Bold;
  if (letters.find('I') != std::string_view::npos) style.slant = FontSlant::Italic;
  if (letters.find('U') != std::string_view::npos) style.line = FontLine::Underlined;
  return style;
}

SkinFont DescribeSkinFont(std::string_view face, int points, std::string_view letters, int dpi) {
  return {std::string(face), std::string(letters), points, PointsToPixels(points, dpi),
          ParseFontStyle(letters)};
}
