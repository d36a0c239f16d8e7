#include "skin/CompositeOverBackground.h"

#include <cstdint>

#include "skin/TransparencyMask.h"

void CompositeOverBackground(PixelImage& button, const PixelImage& background, int x, int y,
                             int keyX, int keyY) {
  const TransparencyMask mask = CreateMaskBitmap(button, keyX, keyY);
  const int halfHeight = button.Height() / 2;
  for (int half = 0; half < 2; ++half) {
    const int top = half * halfHeight;
    for (int row = 0; row < halfHeight; ++row) {
      for (int column = 0; column < button.Width(); ++column) {
        if (mask.IsOpaque(column, top + row)) continue;
        // Skin positions may be any int; add in 64 bits so nothing overflows.
        const std::int64_t backgroundX = std::int64_t{x} + column;
        const std::int64_t backgroundY = std::int64_t{y} + row;
        if (backgroundX >= background.Width() || backgroundY >= background.Height() ||
            backgroundX < 0 || backgroundY < 0)
          continue;
        button.Set(column, top + row,
                   background.At(static_cast<int>(backgroundX), static_cast<int>(backgroundY)));
      }
    }
  }
}
