#include "cli/TerminalText.h"

#include <cstdio>

namespace {

constexpr std::string_view kMaskedPassword = "***";

// One character of `text` at `position`: its code point and byte length, or,
// where the bytes there are not well-formed UTF-8, the lone byte (valid false).
struct Utf8Char {
  char32_t codePoint;
  std::size_t length;
  bool valid;
};

Utf8Char NextUtf8Char(std::string_view text, std::size_t position) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(position);
  const Utf8Char lone{lead, 1, lead < 0x80};
  std::size_t length;
  char32_t codePoint;
  char32_t smallest;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, codePoint = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, codePoint = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, codePoint = lead & 0x07, smallest = 0x10000;
  } else {
    return lone;
  }
  if (position + length > text.size()) return lone;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(position + i) & 0xC0) != 0x80) return lone;
    codePoint = (codePoint << 6) | (byte(position + i) & 0x3F);
  }
  if (codePoint < smallest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    return lone;
  return {codePoint, length, true};
}

bool IsWide(char32_t c) {
  struct Range {
    char32_t first, last;
  };
  // Hangul Jamo, CJK and Kana, Hangul syllables, CJK compatibility, vertical
  // and small forms, full-width forms, pictographs, and the ideograph planes.
  static constexpr Range kWide[] = {
      {0x1100, 0x115F}, {0x2E80, 0x303E},   {0x3041, 0xA4CF},   {0xAC00, 0xD7A3},
      {0xF900, 0xFAFF}, {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
      {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x3FFFD},
  };
  for (const Range& range : kWide)
    if (c >= range.first && c <= range.last) return true;
  return false;
}

std::size_t CharColumns(const Utf8Char& c) { return c.valid && IsWide(c.codePoint) ? 2 : 1; }

void AppendEscape(std::string& out, const char* format, unsigned value) {
  char escape[8];
  std::snprintf(escape, sizeof escape, format, value);
  out += escape;
}

std::string MaskUrlPasswords(std::string_view text) {
  std::string out;
  std::size_t done = 0;
  for (std::size_t scheme = text.find("://"); scheme != std::string_view::npos;
       scheme = text.find("://", scheme + 3)) {
    const std::size_t hostStart = scheme + 3;
    const std::size_t hostEnd = std::min(text.find_first_of("/?# \t\r\n", hostStart), text.size());
    const std::size_t at = text.substr(0, hostEnd).rfind('@');
    if (at == std::string_view::npos || at < hostStart) continue;
    const std::size_t colon = text.substr(0, at).find(':', hostStart);
    if (colon == std::string_view::npos) continue;
    out.append(text.substr(done, colon + 1 - done));
    out += kMaskedPassword;
    done = at;
  }
  out.append(text.substr(done));
  return out;
}

}  // namespace

std::string TerminalSafe(std::string_view text, LineFeeds lineFeeds) {
  const std::string masked = MaskUrlPasswords(text);
  std::string out;
  out.reserve(masked.size());
  for (std::size_t i = 0; i < masked.size();) {
    const Utf8Char c = NextUtf8Char(masked, i);
    if (c.valid && c.codePoint >= 0x80 && c.codePoint <= 0x9F) {
      AppendEscape(out, "\\u%04x", c.codePoint);
    } else if (c.codePoint == '\n' && lineFeeds == LineFeeds::Keep) {
      out += '\n';
    } else if (c.codePoint < 0x20 || c.codePoint == 0x7F || (!c.valid && c.codePoint <= 0x9F)) {
      AppendEscape(out, "\\x%02x", c.codePoint);
    } else {
      out.append(masked, i, c.length);
    }
    i += c.length;
  }
  return out;
}

std::size_t TerminalColumns(std::string_view text) {
  std::size_t columns = 0;
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char c = NextUtf8Char(text, i);
    columns += CharColumns(c);
    i += c.length;
  }
  return columns;
}

std::string_view TerminalPrefix(std::string_view text, std::size_t columns) {
  std::size_t used = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const Utf8Char c = NextUtf8Char(text, i);
    if (used + CharColumns(c) > columns) break;
    used += CharColumns(c);
    i += c.length;
  }
  return text.substr(0, i);
}
