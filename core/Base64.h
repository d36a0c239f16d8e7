#pragma once
// Base64 of RFC 2045: upper-case letters, lower-case letters, digits, "+" and
// "/", padded with "=" to a multiple of four characters, no line breaks.

#include <cstddef>
#include <string>
#include <string_view>

// The authorisation header holds at most 2047 Base64 characters, which is what
// 1533 input bytes encode to; callers refuse longer input rather than cut it.
inline constexpr std::size_t kMaxBase64Input = 1533;

std::string Base64Encode(std::string_view bytes);
