#include "platform/Utf8Prefix.h"

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0xC0; }

}  // namespace

std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  // text[maxBytes] is the first byte left out. When it continues a character,
  // that character began before the cut: find its lead byte (at most three
  // continuation bytes back) and cut before it instead.
  std::size_t lead = maxBytes;
  while (lead > 0 && lead + 3 > maxBytes && IsContinuationByte(text[lead])) --lead;
  if (lead < maxBytes && IsLeadByte(text[lead])) return text.substr(0, lead);
  return text.substr(0, maxBytes);
}
