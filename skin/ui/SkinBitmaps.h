#pragma once
// The skin's pictures and fonts as wxWidgets objects, so painting converts
// nothing. GUI thread only (no lock): painting happens there alone.
//
// Objects are kept per picture or font record, by its address, and stay valid
// while that record is unchanged; the skin record is read-only between
// loading and exit, so that holds for all of GetSkin(). Whoever changes a
// picture or font it has asked for (a test loading another skin) calls
// FreeSkinBitmaps() first.

#include <wx/bitmap.h>
#include <wx/font.h>

#include "skin/PixelImage.h"
#include "skin/Skin.h"
#include "skin/SkinFont.h"

// Makes the wx objects of every picture (at `scale`, see SkinBitmap) and font
// of `skin` now, after the skin is loaded and before the first paint.
// Optional: the lookups below make a missing object at its first use.
void MakeSkinBitmaps(const Skin& skin, int scale = 1);

// The bitmap of `picture` for a screen of `scale` device pixels to the
// window's pixel (ToWxBitmap); invalid for an empty picture.
const wxBitmap& SkinBitmap(const PixelImage& picture, int scale = 1);

// The font of `font` (skin/ui/CreateSkinFont.h).
const wxFont& SkinWxFont(const SkinFont& font);

// Forgets every bitmap and font made here. The application's exit calls it
// with FreeSkin, while wxWidgets still runs.
void FreeSkinBitmaps();
