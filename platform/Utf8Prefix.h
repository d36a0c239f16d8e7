#pragma once
// Cutting UTF-8 text to a byte limit without splitting a character, for
// fixed-size fields such as the tray tip.

#include <cstddef>
#include <string_view>

// The longest prefix of `text` of at most `maxBytes` bytes that ends at a
// character boundary: a cut never leaves the lead bytes of a multibyte
// character behind. Bytes that are not UTF-8 at all are treated as single
// characters.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes);
