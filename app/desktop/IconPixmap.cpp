#include "app/desktop/IconPixmap.h"

namespace {

IconPixels Enlarged(const IconPixels& pixels, int scale) {
  IconPixels large{pixels.width * scale, pixels.height * scale, {}, {}};
  large.rgb.reserve(static_cast<std::size_t>(large.width) * static_cast<std::size_t>(large.height) *
                    3);
  if (!pixels.alpha.empty())
    large.alpha.reserve(static_cast<std::size_t>(large.width) *
                        static_cast<std::size_t>(large.height));
  for (int y = 0; y < large.height; ++y)
    for (int x = 0; x < large.width; ++x) {
      const std::size_t source =
          static_cast<std::size_t>(y / scale) * static_cast<std::size_t>(pixels.width) +
          static_cast<std::size_t>(x / scale);
      large.rgb.insert(large.rgb.end(),
                       pixels.rgb.begin() + static_cast<std::ptrdiff_t>(source * 3),
                       pixels.rgb.begin() + static_cast<std::ptrdiff_t>(source * 3 + 3));
      if (!pixels.alpha.empty()) large.alpha.push_back(pixels.alpha[source]);
    }
  return large;
}

void AddPixmap(GVariantBuilder& pixmaps, const IconPixels& pixels) {
  const std::vector<std::uint8_t> bytes = IconPixmapBytes(pixels);
  if (bytes.empty()) return;
  GVariant* data = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, bytes.data(), bytes.size(), 1);
  g_variant_builder_add(&pixmaps, "(ii@ay)", pixels.width, pixels.height, data);
}

}  // namespace

std::vector<std::uint8_t> IconPixmapBytes(const IconPixels& pixels) {
  if (pixels.width <= 0 || pixels.height <= 0) return {};
  const auto count =
      static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height);
  if (pixels.rgb.size() != count * 3 || (!pixels.alpha.empty() && pixels.alpha.size() != count))
    return {};
  std::vector<std::uint8_t> bytes;
  bytes.reserve(count * 4);
  for (std::size_t pixel = 0; pixel < count; ++pixel) {
    bytes.push_back(pixels.alpha.empty() ? 0xFF : pixels.alpha[pixel]);
    bytes.insert(bytes.end(), pixels.rgb.begin() + static_cast<std::ptrdiff_t>(pixel * 3),
                 pixels.rgb.begin() + static_cast<std::ptrdiff_t>(pixel * 3 + 3));
  }
  return bytes;
}

GVariant* IconPixmapVariant(const IconPixels& pixels, int scale) {
  GVariantBuilder pixmaps;
  g_variant_builder_init(&pixmaps, G_VARIANT_TYPE("a(iiay)"));
  AddPixmap(pixmaps, pixels);
  if (scale > 1 && !IconPixmapBytes(pixels).empty()) AddPixmap(pixmaps, Enlarged(pixels, scale));
  return g_variant_builder_end(&pixmaps);
}

GVariant* NoIconPixmap() { return g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0); }
