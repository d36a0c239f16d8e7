#include "skin/PixelImage.h"

bool IsAcceptablePictureSize(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

PixelImage::PixelImage(int width, int height, ColorRef fill) {
  if (!IsAcceptablePictureSize(width, height)) return;
  m_nWidth = width;
  m_nHeight = height;
  m_pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

void PixelImage::Clear() {
  m_nWidth = 0;
  m_nHeight = 0;
  m_pixels.clear();
  m_pixels.shrink_to_fit();
}

PictureSize GetBitmapSize(const PixelImage& picture) { return {picture.Width(), picture.Height()}; }
