#pragma once
// Escaping a download list's server path for the item URL.

#include <cstddef>
#include <string>
#include <string_view>

// The longest escaped text an item URL may carry; a longer one is refused.
inline constexpr std::size_t kMaxEscapedUrl = 2047;

// `text` with ASCII letters, digits and ".*-_" kept, a blank turned into "+"
// and every other byte (the folder separator "/" and each byte of a
// multibyte character included) written as "%" and two upper-case hex
// digits: "jazz/a b.mp3" gives "jazz%2Fa+b.mp3".
std::string UrlEscape(std::string_view text);
