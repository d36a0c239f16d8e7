#include "skin/ui/PictureConversion.h"

#include <algorithm>
#include <cmath>

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

// wxImage's own nearest-neighbour scaling rounds its source positions and
// shifts block edges at factors such as 3, so each block is filled here.
wxBitmap ToWxBitmap(const PixelImage& picture, int scale) {
  if (scale < 2 || picture.IsEmpty()) return ToWxBitmap(picture);
  // A picture too big to enlarge within the picture cap is left to GTK.
  if (std::int64_t{picture.Width()} * picture.Height() * scale * scale > kMaxPicturePixels)
    return ToWxBitmap(picture);
  wxImage image(picture.Width() * scale, picture.Height() * scale, false);
  unsigned char* rgb = image.GetData();
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      const ColorRef color = picture.At(x / scale, y / scale);
      *rgb++ = color & 0xFF;
      *rgb++ = (color >> 8) & 0xFF;
      *rgb++ = (color >> 16) & 0xFF;
    }
  return wxBitmap(image, wxBITMAP_SCREEN_DEPTH, scale);
}

int DeviceScaleOf(const wxDC& dc) {
  return std::max(1, static_cast<int>(std::lround(dc.GetContentScaleFactor())));
}

wxColour ToWxColour(ColorRef color) {
  return wxColour(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}
