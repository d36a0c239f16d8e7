#include "tools/skin_artwork/Canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

Rgba Hex(std::uint32_t rgb, float alpha) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f,
          alpha};
}

Rgba Mix(const Rgba& from, const Rgba& to, float t) {
  return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
          from.a + (to.a - from.a) * t};
}

Canvas::Canvas(int width, int height, Rgba fill)
    : m_width(width), m_height(height), m_pixels(static_cast<std::size_t>(width * height), fill) {}

void Canvas::Blend(int x, int y, Rgba color, float coverage) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  Rgba& dst = m_pixels[static_cast<std::size_t>(y * m_width + x)];
  const float a = std::clamp(color.a * coverage, 0.0f, 1.0f);
  const float outA = a + dst.a * (1 - a);
  if (outA <= 0) {
    dst = {0, 0, 0, 0};
    return;
  }
  auto channel = [&](float s, float d) { return (s * a + d * dst.a * (1 - a)) / outA; };
  dst = {channel(color.r, dst.r), channel(color.g, dst.g), channel(color.b, dst.b), outA};
}

void Canvas::FillRect(int x0, int y0, int x1, int y1, Rgba color) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) Blend(x, y, color);
}

void Canvas::VerticalGradient(int x0, int y0, int x1, int y1, Rgba top, Rgba bottom) {
  for (int y = y0; y < y1; ++y) {
    const float t =
        y1 - y0 > 1 ? static_cast<float>(y - y0) / static_cast<float>(y1 - y0 - 1) : 0.0f;
    for (int x = x0; x < x1; ++x) Blend(x, y, Mix(top, bottom, t));
  }
}

void Canvas::Fill(const Shape& shape, const Paint& paint) {
  constexpr int kSamples = 4;
  for (int y = 0; y < m_height; ++y) {
    for (int x = 0; x < m_width; ++x) {
      int inside = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx)
          if (shape(x + (sx + 0.5f) / kSamples, y + (sy + 0.5f) / kSamples)) ++inside;
      if (inside == 0) continue;
      Blend(x, y, paint(x + 0.5f, y + 0.5f), static_cast<float>(inside) / (kSamples * kSamples));
    }
  }
}

void Canvas::Fill(const Shape& shape, Rgba color) {
  Fill(shape, [color](float, float) { return color; });
}

void Canvas::Draw(const Canvas& other, int x, int y) {
  for (int oy = 0; oy < other.Height(); ++oy)
    for (int ox = 0; ox < other.Width(); ++ox) Blend(x + ox, y + oy, other.At(ox, oy));
}

Canvas Canvas::Crop(int x, int y, int width, int height) const {
  Canvas part(width, height);
  for (int py = 0; py < height; ++py)
    for (int px = 0; px < width; ++px)
      if (x + px >= 0 && y + py >= 0 && x + px < m_width && y + py < m_height)
        part.Set(px, py, At(x + px, y + py));
  return part;
}

Shape RoundRect(float x0, float y0, float x1, float y1, float radius) {
  return [=](float x, float y) {
    if (x < x0 || x > x1 || y < y0 || y > y1) return false;
    const float cx = std::clamp(x, x0 + radius, x1 - radius);
    const float cy = std::clamp(y, y0 + radius, y1 - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}

Shape Circle(float cx, float cy, float radius) {
  return [=](float x, float y) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}

Shape Ellipse(float cx, float cy, float rx, float ry, float degrees) {
  const float angle = degrees * std::numbers::pi_v<float> / 180.0f;
  const float c = std::cos(angle), s = std::sin(angle);
  return [=](float x, float y) {
    const float dx = x - cx, dy = y - cy;
    const float u = dx * c + dy * s, v = -dx * s + dy * c;
    return (u * u) / (rx * rx) + (v * v) / (ry * ry) <= 1.0f;
  };
}

Shape Segment(float x0, float y0, float x1, float y1, float width) {
  return [=](float x, float y) {
    const float vx = x1 - x0, vy = y1 - y0;
    const float length2 = vx * vx + vy * vy;
    float t = length2 > 0 ? ((x - x0) * vx + (y - y0) * vy) / length2 : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    const float dx = x - (x0 + t * vx), dy = y - (y0 + t * vy);
    return dx * dx + dy * dy <= width * width / 4;
  };
}

Shape Triangle(float x0, float y0, float x1, float y1, float x2, float y2) {
  return [=](float x, float y) {
    auto side = [&](float ax, float ay, float bx, float by) {
      return (bx - ax) * (y - ay) - (by - ay) * (x - ax);
    };
    const float d0 = side(x0, y0, x1, y1), d1 = side(x1, y1, x2, y2), d2 = side(x2, y2, x0, y0);
    return (d0 >= 0 && d1 >= 0 && d2 >= 0) || (d0 <= 0 && d1 <= 0 && d2 <= 0);
  };
}

Shape Union(std::vector<Shape> shapes) {
  return [shapes = std::move(shapes)](float x, float y) {
    return std::any_of(shapes.begin(), shapes.end(),
                       [&](const Shape& shape) { return shape(x, y); });
  };
}

Shape Rotated(Shape shape, float cx, float cy, float degrees) {
  // Turning the shape clockwise on screen (y down) is turning the sample
  // point the other way.
  const float angle = -degrees * std::numbers::pi_v<float> / 180.0f;
  const float c = std::cos(angle), s = std::sin(angle);
  return [=](float x, float y) {
    const float dx = x - cx, dy = y - cy;
    return shape(cx + dx * c - dy * s, cy + dx * s + dy * c);
  };
}

Shape Moved(Shape shape, float dx, float dy) {
  return [=](float x, float y) { return shape(x - dx, y - dy); };
}
