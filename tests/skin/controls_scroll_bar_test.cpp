// The list's scroll bar as numbers: the thumb's place and size with its
// special cases, the drag step, hit testing, and the copies that compose it.
// The bar is the built-in skin's: 10 wide, 119 high, arrows 10 high (a track
// of 99), thumb slices of 5, track tiles of 20.
#include <gtest/gtest.h>

#include <limits>

#include "skin/ListScrollBar.h"
#include "skin/SkinLoader.h"

namespace {

constexpr PixelRect kBar{239, 0, 10, 119};
constexpr ScrollBarMetrics kBuiltinBar{
    .width = 10, .arrowHeight = 10, .sliceHeight = 5, .minThumbHeight = 10, .railHeight = 20};

TEST(ListScrollBar, MetricsComeFromTheSkinPictures) {
  Skin skin;
  ASSERT_TRUE(SetDefaultSkin(skin, 96));
  const ScrollBarMetrics metrics = ScrollBarMetricsOf(skin.downloadList);
  EXPECT_EQ(metrics.width, 10);
  EXPECT_EQ(metrics.arrowHeight, 10);
  EXPECT_EQ(metrics.sliceHeight, 5);
  EXPECT_EQ(metrics.minThumbHeight, 10);
  EXPECT_EQ(metrics.railHeight, 20);
}

TEST(ListScrollBar, ThumbPlaceAndSize) {
  struct Case {
    int count, visible, top;
    int wantY, wantH;
  } cases[] = {
      {0, 9, 0, 10, 99},      // empty: 9 x 99 / 8 is longer than the track, cut at the down arrow
      {0, 1, 0, 10, 99},      // v + n - 1 = 0: the whole track
      {1, 0, 0, 10, 99},      // one item and no whole row: the whole track
      {1, 9, 0, 10, 99},      // one item: fills the track
      {30, 9, 0, 10, 23},     // 9 x 99 / 38
      {30, 9, 9, 33, 23},     // 76 x 9 / 29 + 10
      {30, 9, 29, 86, 23},    // the last item on top: the thumb ends at the down arrow
      {10000, 9, 0, 10, 10},  // never below two slices
      {10000, 9, 5000, 54, 10},
      {5, 9, 40, 41, 68},  // a top index past a queue that just shrank stays on the track
  };
  for (const Case& c : cases) {
    const ScrollBarLayout layout = LayOutScrollBar(kBar, kBuiltinBar, c.count, c.visible, c.top);
    EXPECT_EQ(layout.thumb, (PixelRect{239, c.wantY, 10, c.wantH}))
        << c.count << "/" << c.visible << "/" << c.top;
    EXPECT_EQ(layout.trackLength, 99);
    EXPECT_EQ(layout.upArrow, (PixelRect{239, 0, 10, 10}));
    EXPECT_EQ(layout.downArrow, (PixelRect{239, 109, 10, 10}));
  }
}

TEST(ListScrollBar, ThumbDragDeltaTruncatesTowardZero) {
  const ScrollBarLayout thirty =
      LayOutScrollBar(kBar, kBuiltinBar, 30, 9, 0);  // 76 pixels of travel
  const ScrollBarLayout full = LayOutScrollBar(kBar, kBuiltinBar, 1, 9, 0);
  struct Case {
    int startY, y, count;
    const ScrollBarLayout& layout;
    int want;
  } cases[] = {
      {20, 30, 30, thirty, -3},  // -3.9
      {30, 20, 30, thirty, 3},
      {20, 22, 30, thirty, 0},  // -0.8
      {20, 96, 30, thirty, -30},
      {20, 90, 1, full, 0},  // the thumb fills the track: nothing to divide by
      {0, 2000000000, 100000, thirty, std::numeric_limits<int>::min()},  // capped, not wrapped
  };
  for (const Case& c : cases)
    EXPECT_EQ(ThumbDragDelta(c.startY, c.y, c.count, c.layout), c.want)
        << c.startY << " to " << c.y;
}

TEST(ListScrollBar, HitTestingInOrder) {
  const PixelRect text{0, 0, 239, 119};
  const ScrollBarLayout layout = LayOutScrollBar(kBar, kBuiltinBar, 30, 9, 9);  // thumb y 33 to 56
  struct Case {
    int x, y;
    ListRegion want;
  } cases[] = {
      {0, 0, ListRegion::Text},          {238, 118, ListRegion::Text},
      {239, 0, ListRegion::UpArrow},     {248, 9, ListRegion::UpArrow},
      {239, 109, ListRegion::DownArrow}, {244, 33, ListRegion::Thumb},
      {244, 55, ListRegion::Thumb},      {244, 32, ListRegion::None},
      {244, 56, ListRegion::None},       {249, 50, ListRegion::None},
      {244, 119, ListRegion::None},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HitTestList(c.x, c.y, text, layout), c.want) << c.x << "," << c.y;
}

TEST(ListScrollBar, CompositionOrder) {
  using P = ScrollBarPicture;
  const ScrollBarLayout layout = LayOutScrollBar(kBar, kBuiltinBar, 30, 9, 0);  // thumb y 10 to 33
  const std::vector<PictureCopy> want = {
      {P::Rail, 0, 0, 10, 20, 0, 0},    {P::Rail, 0, 0, 10, 20, 0, 20},
      {P::Rail, 0, 0, 10, 20, 0, 40},   {P::Rail, 0, 0, 10, 20, 0, 60},
      {P::Rail, 0, 0, 10, 20, 0, 80},   {P::Rail, 0, 0, 10, 19, 0, 100},
      {P::Line, 10, 0, 10, 10, 0, 0},  // up, pressed: the right column
      {P::Line, 0, 10, 10, 10, 0, 109}, {P::Slider, 0, 5, 10, 5, 0, 15},
      {P::Slider, 0, 5, 10, 5, 0, 20},  {P::Slider, 0, 5, 10, 5, 0, 25},
      {P::Slider, 0, 0, 10, 5, 0, 10},  {P::Slider, 0, 10, 10, 5, 0, 28},
  };
  EXPECT_EQ(ComposeScrollBar(kBar, kBuiltinBar, layout, PressedArrow::Up), want);

  const auto down = ComposeScrollBar(kBar, kBuiltinBar, layout, PressedArrow::Down);
  EXPECT_EQ(down[6].srcX, 0);
  EXPECT_EQ(down[7].srcX, 10) << "down, pressed";

  ScrollBarMetrics thin = kBuiltinBar;
  thin.sliceHeight = 0;  // a thumb picture under 3 rows high
  thin.railHeight = 0;
  const auto copies = ComposeScrollBar(kBar, thin, layout, PressedArrow::None);
  EXPECT_EQ(copies.size(), 2u) << "only the arrows; no endless slicing";
}

}  // namespace
