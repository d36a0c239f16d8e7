#pragma once
// Hexadecimal digits in text: bytes written as lower-case hexadecimal, two
// digits a byte, so any name or record fits on one line of a text file; the
// value of one digit; and percent escapes ("%2F").

#include <optional>
#include <string>
#include <string_view>

// The value 0..15 of the hexadecimal digit `c` (either letter case), or -1
// when `c` is none.
int HexDigitValue(char c);

std::string ToHex(std::string_view bytes);

// The bytes of `hex`, or nullopt when it has an odd length or a non-digit.
std::optional<std::string> FromHex(std::string_view hex);

// `bytes` with every byte that `keepsAsIs` refuses written as "%" and two
// upper-case hexadecimal digits. Which bytes stay plain is the caller's rule
// (a URL and the key store's lines differ).
std::string PercentEscape(std::string_view bytes, bool (*keepsAsIs)(unsigned char));
