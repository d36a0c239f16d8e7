#pragma once
// Pre-compositing of a two-state button picture over the window background, so
// a button is later drawn with a plain copy of one half.

#include "skin/PixelImage.h"

// `button` holds two states stacked vertically, each Width() x Height() / 2.
// Every pixel of either half whose colour equals the colour at (keyX, keyY) of
// the picture takes the background pixel under it, with both halves laid on
// the one spot of `background` whose top-left is (x, y): pixel (c, r) of the
// upper half and pixel (c, Height() / 2 + r) of the lower half both take
// background (x + c, y + r). Other pixels stay. With an odd height the last
// row is left as it is. Key pixels over a spot outside the background keep
// their colour (the window, as large as the background, never shows them).
void CompositeOverBackground(PixelImage& button, const PixelImage& background, int x, int y,
                             int keyX, int keyY);
