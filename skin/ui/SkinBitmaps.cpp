#include "skin/ui/SkinBitmaps.h"

#include <algorithm>
#include <unordered_map>

#include "skin/ui/CreateSkinFont.h"
#include "skin/ui/PictureConversion.h"

namespace {

struct PictureAtScale {
  const PixelImage* picture;
  int scale;
  bool operator==(const PictureAtScale&) const = default;
};

struct PictureAtScaleHash {
  std::size_t operator()(const PictureAtScale& key) const {
    return std::hash<const PixelImage*>()(key.picture) ^ static_cast<std::size_t>(key.scale);
  }
};

struct SkinObjects {
  std::unordered_map<PictureAtScale, wxBitmap, PictureAtScaleHash> bitmaps;
  std::unordered_map<const SkinFont*, wxFont> fonts;
};

SkinObjects& Objects() {
  static SkinObjects objects;
  return objects;
}

}  // namespace

const wxBitmap& SkinBitmap(const PixelImage& picture, int scale) {
  auto& bitmaps = Objects().bitmaps;
  const PictureAtScale key{&picture, std::max(1, scale)};
  auto found = bitmaps.find(key);
  if (found == bitmaps.end()) found = bitmaps.emplace(key, ToWxBitmap(picture, key.scale)).first;
  return found->second;
}

const wxFont& SkinWxFont(const SkinFont& font) {
  auto& fonts = Objects().fonts;
  auto found = fonts.find(&font);
  if (found == fonts.end()) found = fonts.emplace(&font, CreateSkinFont(font)).first;
  return found->second;
}

void MakeSkinBitmaps(const Skin& skin, int scale) {
  for (const PixelImage* picture :
       {&skin.main.bitmap, &skin.progress.bitmap, &skin.indicator.bitmap,
        &skin.downloadList.lineBitmap, &skin.downloadList.sliderBitmap,
        &skin.downloadList.railBitmap, &skin.sysButton.bitmap, &skin.minimize.bitmap,
        &skin.close.bitmap, &skin.open.bitmap, &skin.skip.bitmap})
    SkinBitmap(*picture, scale);
  for (const SkinFont* font : {&skin.currentFile.font, &skin.status.font, &skin.downloadList.font})
    SkinWxFont(*font);
}

void FreeSkinBitmaps() {
  Objects().bitmaps.clear();
  Objects().fonts.clear();
}
