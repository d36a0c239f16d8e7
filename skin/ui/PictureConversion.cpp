#include "skin/ui/PictureConversion.h"

wxImage ToWxImage(const PixelImage& picture) {
  if (picture.IsEmpty()) return {};
  wxImage image(picture.Width(), picture.Height(), false);
  unsigned char* rgb = image.GetData();
  for (ColorRef color : picture.Pixels()) {
    *rgb++ = color & 0xFF;
    *rgb++ = (color >> 8) & 0xFF;
    *rgb++ = (color >> 16) & 0xFF;
  }
  return image;
}

wxBitmap ToWxBitmap(const PixelImage& picture) {
  if (picture.IsEmpty()) return {};
  return wxBitmap(ToWxImage(picture));
}

wxColour ToWxColour(ColorRef color) {
  return wxColour(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}
