// The bitmap decoder on arbitrary bytes: no crash, no read outside the input,
// and a picture that decodes has the pixels its size promises.

#include "skin/BitmapFile.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PixelImage picture;
  if (DecodeBitmap(picture, std::span<const std::uint8_t>(data, size))) {
    FuzzCheck(picture.Width() > 0 && picture.Height() > 0);
    FuzzCheck(picture.Pixels().size() ==
              static_cast<std::size_t>(picture.Width()) * picture.Height());
  }
  return 0;
}
