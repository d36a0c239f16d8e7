#pragma once
// A picture held as plain pixels in memory: the stand-in for a screen-format
// bitmap. Colours are ColorRef values (red in the low byte), so a pixel compares
// equal to another exactly when the screen would show the same colour.

#include <cstdint>
#include <vector>

#include "platform/ColorRef.h"

// Largest picture we accept, in each direction and in total (64 MB of pixels).
// Skin pictures are a few hundred pixels wide; anything near this is an error.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = 16 * 1024 * 1024;

struct PictureSize {
  int width = 0;
  int height = 0;
  bool operator==(const PictureSize&) const = default;
};

class PixelImage {
 public:
  PixelImage() = default;
  // A picture of the given size filled with `fill`. A size that is not
  // positive or exceeds the caps above gives an empty picture.
  PixelImage(int width, int height, ColorRef fill = 0);

  bool IsEmpty() const { return m_pixels.empty(); }
  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight; }

  // Pixel access; the caller keeps (x, y) inside the picture.
  ColorRef At(int x, int y) const { return m_pixels[Index(x, y)]; }
  void Set(int x, int y, ColorRef color) { m_pixels[Index(x, y)] = color; }

  // Row-major pixels, top row first.
  const std::vector<ColorRef>& Pixels() const { return m_pixels; }

  // Drops the pixels; the picture becomes empty (0 x 0).
  void Clear();

  bool operator==(const PixelImage&) const = default;

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_nWidth) +
           static_cast<std::size_t>(x);
  }

  int m_nWidth = 0;
  int m_nHeight = 0;
  std::vector<ColorRef> m_pixels;
};

// The picture's width and height in pixels; (0, 0) for an empty picture.
PictureSize GetBitmapSize(const PixelImage& picture);

// Whether a picture of this size is within the caps above.
bool IsAcceptablePictureSize(std::int64_t width, std::int64_t height);
