#pragma once
// Plain pictures and colours to wxWidgets bitmaps and colours, at the drawing
// edge.

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/image.h>

#include "skin/PixelImage.h"

// An RGB image of the same size and pixels; an empty picture gives an
// invalid image.
wxImage ToWxImage(const PixelImage& picture);

// A screen bitmap of the picture; invalid for an empty picture.
wxBitmap ToWxBitmap(const PixelImage& picture);

// The colour of a ColorRef (red in the low byte).
wxColour ToWxColour(ColorRef color);
