// The transparency mask and the compositing of two-state buttons over the
// background, pixel by pixel.
#include <gtest/gtest.h>

#include "skin/CompositeOverBackground.h"
#include "skin/TransparencyMask.h"

namespace {

constexpr ColorRef kKey = 0x420042;
constexpr ColorRef kCap = 0x808080;

// A background whose every pixel tells where it is: x in red, y in green.
PixelImage CoordinateBackground(int width, int height) {
  PixelImage background(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      background.Set(x, y, static_cast<ColorRef>(x | y << 8 | 0x7F0000));
  return background;
}

ColorRef At(int x, int y) { return static_cast<ColorRef>(x | y << 8 | 0x7F0000); }

TEST(TransparencyMask, OnlyExactlyTheKeyColourIsTransparent) {
  PixelImage source(4, 3, kCap);
  source.Set(0, 0, kKey);
  source.Set(3, 2, kKey);
  source.Set(1, 1, kKey + 1);  // one step off the key stays opaque
  const TransparencyMask mask = CreateMaskBitmap(source, 0, 0);
  ASSERT_EQ(mask.Width(), 4);
  ASSERT_EQ(mask.Height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(mask.IsOpaque(x, y), !((x == 0 && y == 0) || (x == 3 && y == 2))) << x << "," << y;
}

TEST(TransparencyMask, UniqueTopLeftColourMasksOnlyThatPixel) {
  PixelImage source(3, 3, kCap);
  source.Set(0, 0, kKey);
  const TransparencyMask mask = CreateMaskBitmap(source, 0, 0);
  int transparent = 0;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) transparent += mask.IsOpaque(x, y) ? 0 : 1;
  EXPECT_EQ(transparent, 1);
  EXPECT_FALSE(mask.IsOpaque(0, 0));
}

TEST(TransparencyMask, KeyPointOutsideThePictureMasksNothing) {
  const PixelImage source(2, 2, kKey);
  const TransparencyMask mask = CreateMaskBitmap(source, 5, 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_TRUE(mask.IsOpaque(x, y));
}

TEST(CompositeOverBackground, BothHalvesTakeTheSameBackgroundSpot) {
  const PixelImage background = CoordinateBackground(40, 30);
  PixelImage button(3, 4, kCap);  // two states of 3 x 2
  button.Set(0, 0, kKey);
  button.Set(0, 2, kKey);  // top-left of the pressed half
  button.Set(2, 3, kKey);
  CompositeOverBackground(button, background, 10, 20, 0, 0);
  EXPECT_EQ(button.At(0, 0), At(10, 20));
  EXPECT_EQ(button.At(0, 2), At(10, 20)) << "the pressed half lies on the same spot";
  EXPECT_EQ(button.At(2, 3), At(12, 21));
  EXPECT_EQ(button.At(1, 0), kCap);
  EXPECT_EQ(button.At(1, 3), kCap);
}

TEST(CompositeOverBackground, OddHeightLeavesTheLastRow) {
  const PixelImage background = CoordinateBackground(10, 10);
  PixelImage button(2, 5, kKey);  // halves of 2 rows, one row left over
  button.Set(1, 1, kCap);
  CompositeOverBackground(button, background, 3, 4, 0, 0);
  EXPECT_EQ(button.At(0, 0), At(3, 4));
  EXPECT_EQ(button.At(1, 1), kCap);
  EXPECT_EQ(button.At(0, 3), At(3, 5));
  EXPECT_EQ(button.At(0, 4), kKey) << "the odd last row is not processed";
  EXPECT_EQ(button.At(1, 4), kKey);
}

TEST(CompositeOverBackground, KeyPixelsOffTheBackgroundKeepTheirColour) {
  const PixelImage background = CoordinateBackground(4, 4);
  PixelImage button(3, 2, kKey);
  CompositeOverBackground(button, background, -1, 3, 0, 0);
  EXPECT_EQ(button.At(0, 0), kKey);
  EXPECT_EQ(button.At(1, 0), At(0, 3));
  EXPECT_EQ(button.At(2, 1), At(1, 3));

  PixelImage far(2, 2, kKey);
  CompositeOverBackground(far, background, 2147483647, 2147483647, 0, 0);  // no overflow
  EXPECT_EQ(far.At(0, 0), kKey);
}

}  // namespace
