#pragma once
// A one-bit mask over a picture: the stand-in for a monochrome bitmap. A clear
// bit (black) marks a transparent pixel, a set bit (white) an opaque one.

#include <cstdint>
#include <vector>

#include "skin/PixelImage.h"

class TransparencyMask {
 public:
  TransparencyMask() = default;
  // A mask of the given size with every pixel opaque (white).
  TransparencyMask(int width, int height);

  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }
  // The caller keeps (x, y) inside the mask.
  bool IsOpaque(int x, int y) const { return m_opaque[Index(x, y)] != 0; }
  void SetTransparent(int x, int y) { m_opaque[Index(x, y)] = 0; }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_nWidth) +
           static_cast<std::size_t>(x);
  }

  int m_nWidth = 0;
  int m_nHeight = 0;
  std::vector<std::uint8_t> m_opaque;
};

// The mask of `source` keyed on the colour of its pixel (keyX, keyY): a pixel
// is transparent exactly when its colour equals the key colour. A key point
// outside the picture has no colour, so the whole mask is opaque.
TransparencyMask CreateMaskBitmap(const PixelImage& source, int keyX, int keyY);
