#include "core/UrlEscape.h"

#include <algorithm>

#include "platform/HexText.h"

namespace {

// Blanks pass here and become "+" afterwards.
bool IsKeptAsItStands(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '*' || c == '-' || c == '_' || c == ' ';
}

}  // namespace

std::string UrlEscape(std::string_view text) {
  std::string escaped = PercentEscape(text, IsKeptAsItStands);
  std::replace(escaped.begin(), escaped.end(), ' ', '+');
  return escaped;
}
