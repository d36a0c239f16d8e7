#include "skin/ListScrollBar.h"

#include <algorithm>
#include <cstdint>
#include <limits>

ScrollBarMetrics ScrollBarMetricsOf(const SkinDownloadList& list) {
  ScrollBarMetrics metrics;
  metrics.width = list.sliderBitmap.Width();
  metrics.arrowHeight = list.lineBitmap.Height() / 2;
  metrics.sliceHeight = list.sliderBitmap.Height() / 3;
  metrics.minThumbHeight = 2 * metrics.sliceHeight;
  metrics.railHeight = list.railBitmap.Height();
  return metrics;
}

ScrollBarLayout LayOutScrollBar(const PixelRect& bar, const ScrollBarMetrics& metrics, int count,
                                int visibleRows, int topIndex) {
  ScrollBarLayout layout;
  const int a = metrics.arrowHeight;
  layout.upArrow = {bar.x, bar.y, bar.w, a};
  layout.downArrow = {bar.x, bar.Bottom() - a, bar.w, a};
  const std::int64_t t = bar.h - 2 * a;
  layout.trackLength = static_cast<int>(t);

  const std::int64_t n = count;
  const std::int64_t v = visibleRows;
  std::int64_t d = t;  // no rows to divide among: the whole track
  if (v + n - 1 > 0) d = std::max<std::int64_t>(v * t / (v + n - 1), metrics.minThumbHeight);

  const std::int64_t trackTop = layout.upArrow.Bottom();
  std::int64_t top = trackTop;
  // The view's index may run ahead of a queue that has just shrunk; the thumb
  // stays on the track meanwhile.
  if (n >= 2) top = (t - d) * std::clamp<std::int64_t>(topIndex, 0, n - 1) / (n - 1) + trackTop;
  const std::int64_t bottom = std::min<std::int64_t>(top + d, layout.downArrow.y);
  layout.thumb = {bar.x, static_cast<int>(top), bar.w, static_cast<int>(bottom - top)};
  return layout;
}

int ThumbDragDelta(int startY, int y, int count, const ScrollBarLayout& layout) {
  const std::int64_t travel = std::int64_t{layout.trackLength} - layout.thumb.h;
  if (travel <= 0) return 0;
  const std::int64_t delta = (std::int64_t{startY} - y) * count / travel;
  return static_cast<int>(std::clamp<std::int64_t>(delta, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

ListRegion HitTestList(int x, int y, const PixelRect& textRect, const ScrollBarLayout& layout) {
  if (textRect.Contains(x, y)) return ListRegion::Text;
  if (layout.upArrow.Contains(x, y)) return ListRegion::UpArrow;
  if (layout.downArrow.Contains(x, y)) return ListRegion::DownArrow;
  if (layout.thumb.Contains(x, y)) return ListRegion::Thumb;
  return ListRegion::None;
}

std::vector<PictureCopy> ComposeScrollBar(const PixelRect& bar, const ScrollBarMetrics& metrics,
                                          const ScrollBarLayout& layout, PressedArrow pressed) {
  std::vector<PictureCopy> copies;
  const int w = bar.w;
  auto add = [&](ScrollBarPicture picture, int srcX, int srcY, int h, int destY) {
    if (w > 0 && h > 0) copies.push_back({picture, srcX, srcY, w, h, 0, destY});
  };

  if (metrics.railHeight > 0)
    for (int y = 0; y < bar.h; y += metrics.railHeight)
      add(ScrollBarPicture::Rail, 0, 0, std::min(metrics.railHeight, bar.h - y), y);

  const int a = metrics.arrowHeight;
  add(ScrollBarPicture::Line, pressed == PressedArrow::Up ? w : 0, 0, a, layout.upArrow.y - bar.y);
  add(ScrollBarPicture::Line, pressed == PressedArrow::Down ? w : 0, a, a,
      layout.downArrow.y - bar.y);

  const int q = metrics.sliceHeight;
  const int top = layout.thumb.y - bar.y;
  const int bottom = layout.thumb.Bottom() - bar.y;
  if (q > 0)
    for (int y = top + q; y < bottom - q; y += q) add(ScrollBarPicture::Slider, 0, q, q, y);
  add(ScrollBarPicture::Slider, 0, 0, q, top);
  add(ScrollBarPicture::Slider, 0, 2 * q, q, bottom - q);
  return copies;
}
