#include "skin/TransparencyMask.h"

TransparencyMask::TransparencyMask(int width, int height) {
  if (!IsAcceptablePictureSize(width, height)) return;
  m_nWidth = width;
  m_nHeight = height;
  m_opaque.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 1);
}

TransparencyMask CreateMaskBitmap(const PixelImage& source, int keyX, int keyY) {
  TransparencyMask mask(source.Width(), source.Height());
  if (!source.Contains(keyX, keyY)) return mask;
  const ColorRef key = source.At(keyX, keyY);
  for (int y = 0; y < source.Height(); ++y)
    for (int x = 0; x < source.Width(); ++x)
      if (source.At(x, y) == key) mask.SetTransparent(x, y);
  return mask;
}
