#pragma once
// Bytes written as lower-case hexadecimal digits, two a byte, so any name or
// record fits on one line of a text file.

#include <optional>
#include <string>
#include <string_view>

std::string ToHex(std::string_view bytes);

// The bytes of `hex`, or nullopt when it has an odd length or a non-digit.
std::optional<std::string> FromHex(std::string_view hex);
