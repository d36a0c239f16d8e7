#pragma once
// A small raster for drawing the built-in artwork: straight-alpha RGBA in
// floating point, shapes given as inside-tests and filled with 4 x 4
// supersampling, so edges come out smooth and the output is the same on every
// machine.

#include <cstdint>
#include <functional>
#include <vector>

struct Rgba {
  float r = 0, g = 0, b = 0, a = 1;
};

// An 8-bit colour written as 0xRRGGBB.
Rgba Hex(std::uint32_t rgb, float alpha = 1.0f);
Rgba Mix(const Rgba& from, const Rgba& to, float t);

// Whether the point (x, y), in pixel units with pixel centres at .5, is inside.
using Shape = std::function<bool(float x, float y)>;
// The colour of a shape at a point.
using Paint = std::function<Rgba(float x, float y)>;

class Canvas {
 public:
  Canvas(int width, int height, Rgba fill = {0, 0, 0, 0});

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  Rgba At(int x, int y) const { return m_pixels[static_cast<std::size_t>(y * m_width + x)]; }
  void Set(int x, int y, Rgba color) {
    m_pixels[static_cast<std::size_t>(y * m_width + x)] = color;
  }

  // Source-over blending of `color` with `coverage` (0 to 1) at one pixel;
  // pixels outside the canvas are ignored.
  void Blend(int x, int y, Rgba color, float coverage = 1.0f);
  void FillRect(int x0, int y0, int x1, int y1, Rgba color);  // end exclusive
  void VerticalGradient(int x0, int y0, int x1, int y1, Rgba top, Rgba bottom);
  void Fill(const Shape& shape, const Paint& paint);
  void Fill(const Shape& shape, Rgba color);
  // Copies `other` with its top-left at (x, y), blending by its alpha.
  void Draw(const Canvas& other, int x, int y);
  // The part of this canvas at (x, y) of the given size.
  Canvas Crop(int x, int y, int width, int height) const;

 private:
  int m_width;
  int m_height;
  std::vector<Rgba> m_pixels;
};

// Inside-tests for the shapes the artwork is made of.
Shape RoundRect(float x0, float y0, float x1, float y1, float radius);
Shape Circle(float cx, float cy, float radius);
// An ellipse with radii rx, ry turned by `degrees`.
Shape Ellipse(float cx, float cy, float rx, float ry, float degrees);
// A line with round ends, `width` thick.
Shape Segment(float x0, float y0, float x1, float y1, float width);
Shape Triangle(float x0, float y0, float x1, float y1, float x2, float y2);
Shape Union(std::vector<Shape> shapes);
// `shape` turned clockwise by `degrees` about (cx, cy).
Shape Rotated(Shape shape, float cx, float cy, float degrees);
// `shape` moved by (dx, dy).
Shape Moved(Shape shape, float dx, float dy);
