#pragma once
// The download list's scroll bar as numbers: its measures from the skin's
// pictures, where the arrows and the thumb sit for a given queue and view,
// which part a point hits, the thumb-drag step, and the copies from the three
// pictures that compose it. All divisions are integer divisions.

#include <vector>

#include "skin/PixelRect.h"
#include "skin/Skin.h"

struct ScrollBarMetrics {
  int width = 0;           // the thumb picture's width
  int arrowHeight = 0;     // each arrow button: the arrow picture's height / 2
  int sliceHeight = 0;     // a thumb slice: the thumb picture's height / 3
  int minThumbHeight = 0;  // two slices
  int railHeight = 0;      // one track tile
};

ScrollBarMetrics ScrollBarMetricsOf(const SkinDownloadList& list);

// The arrows, the thumb and the track length for a bar at `bar`, a queue of
// `count` items, `visibleRows` whole rows and the first row `topIndex`.
struct ScrollBarLayout {
  PixelRect upArrow;
  PixelRect downArrow;
  PixelRect thumb;
  int trackLength = 0;  // bar height less both arrows
};

ScrollBarLayout LayOutScrollBar(const PixelRect& bar, const ScrollBarMetrics& metrics, int count,
                                int visibleRows, int topIndex);

// How many rows a thumb drag from `startY` to `y` moves the view back (a
// drag downwards gives a negative number): (startY - y) x count / (track
// length - thumb height), truncated toward zero. 0 when the thumb fills the
// track, so it cannot move. The result is within the int range.
int ThumbDragDelta(int startY, int y, int count, const ScrollBarLayout& layout);

// What a point of the list's client area falls on, tested in this order.
enum class ListRegion { Text, UpArrow, DownArrow, Thumb, None };
ListRegion HitTestList(int x, int y, const PixelRect& textRect, const ScrollBarLayout& layout);

// One copy from a scroll bar picture into the bar's off-screen image, whose
// origin is the bar's top-left corner.
enum class ScrollBarPicture { Rail, Line, Slider };
struct PictureCopy {
  ScrollBarPicture picture;
  int srcX, srcY, w, h, destX, destY;
  bool operator==(const PictureCopy&) const = default;
};

// Which arrow is drawn pressed.
enum class PressedArrow { None, Up, Down };

// The copies that compose the bar, in drawing order: the track tiles from the
// top down (the last cut to what remains), the up and down arrow cells
// (pressed cells in the picture's right column), then the thumb's middle
// slices from thumb top + one slice while they start above the bottom cap,
// then its top cap and its bottom cap. Copies of no width or height are left
// out, so a picture too small to slice draws nothing rather than looping.
std::vector<PictureCopy> ComposeScrollBar(const PixelRect& bar, const ScrollBarMetrics& metrics,
                                          const ScrollBarLayout& layout, PressedArrow pressed);
