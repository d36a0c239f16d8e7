#include "skin/ui/SkinBitmaps.h"

#include <unordered_map>

#include "skin/ui/CreateSkinFont.h"
#include "skin/ui/PictureConversion.h"

namespace {

struct SkinObjects {
  std::unordered_map<const PixelImage*, wxBitmap> bitmaps;
  std::unordered_map<const SkinFont*, wxFont> fonts;
};

SkinObjects& Objects() {
  static SkinObjects objects;
  return objects;
}

}  // namespace

const wxBitmap& SkinBitmap(const PixelImage& picture) {
  auto& bitmaps = Objects().bitmaps;
  auto found = bitmaps.find(&picture);
  if (found == bitmaps.end()) found = bitmaps.emplace(&picture, ToWxBitmap(picture)).first;
  return found->second;
}

const wxFont& SkinWxFont(const SkinFont& font) {
  auto& fonts = Objects().fonts;
  auto found = fonts.find(&font);
  if (found == fonts.end()) found = fonts.emplace(&font, CreateSkinFont(font)).first;
  return found->second;
}

void MakeSkinBitmaps(const Skin& skin) {
  for (const PixelImage* picture :
       {&skin.main.bitmap, &skin.progress.bitmap, &skin.indicator.bitmap,
        &skin.downloadList.lineBitmap, &skin.downloadList.sliderBitmap,
        &skin.downloadList.railBitmap, &skin.sysButton.bitmap, &skin.minimize.bitmap,
        &skin.close.bitmap, &skin.open.bitmap, &skin.skip.bitmap})
    SkinBitmap(*picture);
  for (const SkinFont* font : {&skin.currentFile.font, &skin.status.font, &skin.downloadList.font})
    SkinWxFont(*font);
}

void FreeSkinBitmaps() {
  Objects().bitmaps.clear();
  Objects().fonts.clear();
}
