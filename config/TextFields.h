#pragma once
// Small text helpers shared by the settings store, the download list reader
// and the skin loader. All work on bytes and know nothing of double-byte
// characters.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ColorRef.h"

// Field `index` (from 0) of `text` split at the first character of
// `separator`, looking at no more than the first 1022 bytes of `text`. A
// negative index gives those bytes whole; a field that does not exist gives
// empty text. Fields are not trimmed; adjacent separators give empty fields.
std::string GetField(std::string_view text, int index, std::string_view separator);

// Removes a final LF, and a CR before it, from `text`; returns whether a line
// end was removed. A CR without LF stays.
bool StripLineEnd(std::string& text);

// The value of the hexadecimal digits at the start of `text` (no prefix;
// overflow wraps in 32 bits); 0 when it starts with anything else.
std::uint32_t HexToInt(std::string_view text);

// The colour of a six-digit hexadecimal text written red, green, blue:
// "FF8000" gives 0x0080FF. Bits above the six digits are dropped.
ColorRef HexToColor(std::string_view text);

// The decimal number at the start of `text` after leading white space, with
// an optional sign, up to the first non-digit; 0 when there are no digits.
// Values beyond the 32-bit range are clamped to it.
std::int32_t ParseDecimalInt(std::string_view text);

// `text` without white space (space, tab, CR, LF, VT, FF) at either end.
std::string_view TrimWhiteSpace(std::string_view text);
