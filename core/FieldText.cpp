#include "core/FieldText.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <vector>

#include "core/ShiftJisConverter.h"

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) > 0x7F) return false;
  }
  return true;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    auto lead = static_cast<unsigned char>(text[i]);
    size_t length;
    unsigned char low = 0x80;  // allowed range of the second byte
    unsigned char high = 0xBF;
    if (lead <= 0x7F) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    auto second = static_cast<unsigned char>(text[i + 1]);
    if (second < low || second > high) return false;
    for (size_t k = 2; k < length; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if (next < 0x80 || next > 0xBF) return false;
    }
    i += length;
  }
  return true;
}

// Used only when the system has no converter for code page 932.
std::string ReplaceNonAscii(std::string_view text) {
  std::string result;
  for (char c : text) {
    if (static_cast<unsigned char>(c) > 0x7F) {
      result += kReplacementCharacter;
    } else {
      result += c;
    }
  }
  return result;
}

std::string Cp932ToUtf8(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  iconv_t converter = iconv_open("UTF-8", "CP932");
  // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open reports failure as (iconv_t)-1
  if (converter == reinterpret_cast<iconv_t>(-1)) return ReplaceNonAscii(text);

  std::string result;
  char* in = const_cast<char*>(text.data());  // iconv takes char** but does not write
  size_t inLeft = text.size();
  while (inLeft > 0) {
    char chunk[256];
    char* out = chunk;
    size_t outLeft = sizeof chunk;
    size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
    result.append(chunk, static_cast<size_t>(out - chunk));
    if (converted != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ or EINVAL: this byte starts nothing iconv can map; skip it alone
    // so a broken pair does not take the next character with it.
    result += kReplacementCharacter;
    ++in;
    --inLeft;
  }
  iconv_close(converter);
  return result;
}

}  // namespace

std::string ConvertFieldText(std::string_view field) {
  std::string text(field.substr(0, field.find('\0')));
  if (!IsAscii(text) && IsValidUtf8(text)) return text;

  std::vector<char> shiftJis(2 * text.size() + 1);
  ConvertToShiftJis(shiftJis.data(), text.c_str());
  return Cp932ToUtf8(shiftJis.data());
}
