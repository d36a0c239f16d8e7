#pragma once
// The colour value that pictures, skins and settings share: red in bits 0-7,
// green in 8-15 and blue in 16-23, as the skin files and the colour settings
// write it.

#include <cstdint>

using ColorRef = std::uint32_t;

constexpr ColorRef MakeColorRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return ColorRef{red} | ColorRef{green} << 8 | ColorRef{blue} << 16;
}
