#include "config/TextFields.h"

#include <limits>

#include "platform/HexText.h"

namespace {

constexpr size_t kFieldWindow = 1022;  // bytes of a text that GetField looks at
constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

}  // namespace

std::string GetField(std::string_view text, int index, std::string_view separator) {
  std::string_view window = text.substr(0, kFieldWindow);
  if (index < 0) return std::string(window);
  char delimiter = separator.empty() ? '\0' : separator.front();
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    size_t found = window.find(delimiter, start);
    if (found == std::string_view::npos) return {};
    start = found + 1;
  }
  size_t end = window.find(delimiter, start);
  return std::string(
      window.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

bool StripLineEnd(std::string& text) {
  if (text.empty() || text.back() != '\n') return false;
  text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return true;
}

std::uint32_t HexToInt(std::string_view text) {
  std::uint32_t value = 0;
  for (char c : text) {
    int digit = HexDigitValue(c);
    if (digit < 0) break;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

ColorRef HexToColor(std::string_view text) {
  std::uint32_t v = HexToInt(text);
  return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
}

std::int32_t ParseDecimalInt(std::string_view text) {
  size_t i = text.find_first_not_of(kWhiteSpace);
  if (i == std::string_view::npos) return 0;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = std::min(value * 10 + (text[i] - '0'), kLimit);
  value = negative ? -value : std::min(value, kLimit - 1);
  return static_cast<std::int32_t>(value);
}

std::string_view TrimWhiteSpace(std::string_view text) {
  size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}
