#pragma once
// Painting into an image and reading its pixels, for window tests that
// compare pixels. Only tests under a ui/ folder include it.

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include <functional>

#include "config/TextFields.h"

// Colour of the untouched background, so a test can tell painted pixels.
inline constexpr ColorRef kUnpainted = MakeColorRef(255, 0, 255);

// A w x h image filled with kUnpainted and then painted by `paint`.
inline wxImage PaintedImage(int w, int h, const std::function<void(wxDC&)>& paint) {
  wxBitmap bitmap(w, h, 24);
  {
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(wxColour(255, 0, 255)));
    dc.Clear();
    paint(dc);
  }
  return bitmap.ConvertToImage();
}

inline ColorRef PixelAt(const wxImage& image, int x, int y) {
  return MakeColorRef(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}
