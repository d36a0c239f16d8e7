#pragma once
// A picture as the StatusNotifierItem protocol carries it: width, height and
// ARGB32 pixels in network byte order (alpha, red, green, blue, one byte
// each, rows from the top).

#include <glib.h>

#include <cstdint>
#include <vector>

// A picture as wxWidgets holds one: 3 bytes of RGB per pixel, and one byte
// of alpha per pixel or none (opaque).
struct IconPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  std::vector<std::uint8_t> alpha;
};

// The ARGB32 bytes of `pixels`; empty when its sizes do not match its data.
std::vector<std::uint8_t> IconPixmapBytes(const IconPixels& pixels);

// An IconPixmap value, a(iiay), holding `pixels` once as it stands and once
// enlarged by `scale` (nearest neighbour, so the pixel art stays sharp) when
// that is above 1: the host picks the size its panel needs. Floating.
GVariant* IconPixmapVariant(const IconPixels& pixels, int scale);

// The empty a(iiay): no picture.
GVariant* NoIconPixmap();
