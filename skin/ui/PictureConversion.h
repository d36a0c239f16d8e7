#pragma once
// Plain pictures and colours to wxWidgets bitmaps and colours, at the drawing
// edge.

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/dc.h>
#include <wx/image.h>

#include "skin/PixelImage.h"

// An RGB image of the same size and pixels; an empty picture gives an
// invalid image.
wxImage ToWxImage(const PixelImage& picture);

// A screen bitmap of the picture; invalid for an empty picture.
wxBitmap ToWxBitmap(const PixelImage& picture);

// The picture for a screen of `scale` device pixels to the window's pixel:
// every pixel enlarged to a scale x scale block (nearest neighbour, so pixel
// art stays crisp), in a bitmap of that scale factor, whose logical size is
// the picture's own. A scale below 2, or one that would make more than
// kMaxPicturePixels, gives ToWxBitmap(picture).
wxBitmap ToWxBitmap(const PixelImage& picture, int scale);

// The whole number of device pixels to one of `dc`'s pixels (GTK's window
// scale: 1, 2, 3...); at least 1.
int DeviceScaleOf(const wxDC& dc);

// The colour of a ColorRef (red in the low byte).
wxColour ToWxColour(ColorRef color);
