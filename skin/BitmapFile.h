#pragma once
// Reading Windows bitmap (BMP) files into plain pictures. We decode the format
// ourselves so a skin behaves the same everywhere and a damaged file can never
// make us read outside its bytes.
//
// Accepted: the 12-byte core header (1, 4, 8 or 24 bits per pixel) and the
// 40/52/56/108/124-byte info headers; 1, 4 and 8 bits per pixel with a colour table, 16, 24 and 32
// bits per pixel; bottom-up and top-down rows; bit-field masks (16 and 32 bits); RLE8 and RLE4
// compression. Alpha is dropped: a bitmap is opaque.

#include <cstdint>
#include <span>
#include <string>

#include "skin/PixelImage.h"

// Largest file LoadBitmapFile reads; anything longer is refused unread.
inline constexpr std::int64_t kMaxBitmapFileBytes = 80 * 1024 * 1024;

// Decodes the bytes of a whole BMP file. Returns false, leaving `picture`
// unchanged, when the bytes do not begin with "BM" or a header, the colour
// table or the pixel data lies outside them, or the form is not one of the
// accepted ones above.
bool DecodeBitmap(PixelImage& picture, std::span<const std::uint8_t> bytes);

// Reads the file at `path` whole and decodes it. Returns false, leaving
// `picture` unchanged, when the file cannot be opened or read in full, is
// larger than kMaxBitmapFileBytes, or does not decode.
bool LoadBitmapFile(PixelImage& picture, const std::string& path);
