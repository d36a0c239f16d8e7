#pragma once
// Writing the artwork as files: BMP in the forms a skin author's tools write
// (so the example skin exercises the decoder), and PNG with alpha for icons.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/skin_artwork/Canvas.h"

enum class BmpForm {
  Rgb24BottomUp,  // the common form; every built-in picture
  Rgb24TopDown,   // negative height
  BitFields32,    // 32 bits per pixel with explicit masks in a V4 header
  Rle8,           // 8-bit colour table, run-length encoded (at most 256 colours)
};

// The file bytes of `canvas` (alpha dropped) in the given form. Returns an
// empty vector when the form cannot hold the picture (RLE8 with more than 256
// colours).
std::vector<std::uint8_t> EncodeBmp(const Canvas& canvas, BmpForm form);

// PNG, 8-bit RGBA, compressed with "stored" deflate blocks: no library needed.
std::vector<std::uint8_t> EncodePng(const Canvas& canvas);

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
