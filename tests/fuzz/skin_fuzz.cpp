// A skin folder on arbitrary input: Skin.ini and one picture it may name
// ("pic.bmp"). The input is the Skin.ini text, then the separator line
// "--picture--", then the picture's bytes. Loading never fails or faults,
// and every picture of the record has pixels.

#include <filesystem>

#include "skin/SkinLoader.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr std::string_view kSeparator = "\n--picture--\n";

void CheckPicture(const PixelImage& picture) {
  FuzzCheck(picture.Width() > 0 && picture.Height() > 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string folder = [] {
    const std::string path = FuzzProgramFolder() / "Skins/Fuzz";
    std::filesystem::create_directories(path);
    return path;
  }();
  const std::string_view input = FuzzText(data, size);
  const std::size_t split = input.find(kSeparator);
  WriteFileText(folder + "/Skin.ini", input.substr(0, split));
  WriteFileText(folder + "/pic.bmp",
                split == std::string_view::npos ? "" : input.substr(split + kSeparator.size()));

  Skin skin;
  FuzzCheck(SetDefaultSkin(skin, 96));
  FuzzCheck(LoadSkin(skin, "Fuzz", 96));
  CheckPicture(skin.main.bitmap);
  CheckPicture(skin.progress.bitmap);
  CheckPicture(skin.indicator.bitmap);
  FreeSkin(skin);
  return 0;
}
