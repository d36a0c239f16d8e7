#pragma once
// A rectangle in pixels: left, top, width and height. Contains() takes the
// left and top edges as inside and the right and bottom edges as outside, as
// window rectangles do; a rectangle of no width or height contains nothing.

struct PixelRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;

  int Right() const { return x + w; }
  int Bottom() const { return y + h; }
  bool Contains(int px, int py) const {
    return px >= x && py >= y && px < Right() && py < Bottom();
  }
  bool operator==(const PixelRect&) const = default;
};
