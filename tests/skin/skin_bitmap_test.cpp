// BMP decoding: every accepted form against known pixels, and every damaged
// or foreign file refused without reading outside its bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <vector>

#include "skin/BitmapFile.h"
#include "tests/support/ScratchFolder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr ColorRef kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;
constexpr ColorRef kWhite = 0xFFFFFF, kBlack = 0x000000, kYellow = 0x00FFFF;

void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

struct BmpParts {
  std::uint32_t headerBytes = 40;
  std::int32_t width = 3;
  std::int32_t height = 2;
  int bitsPerPixel = 24;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  Bytes afterHeader;  // masks and colour table, as stored
  Bytes pixels;       // pixel data, as stored
};

// A file whose bits offset points just past the colour table.
Bytes Build(const BmpParts& parts) {
  Bytes out = {'B', 'M'};
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(14 + parts.headerBytes + parts.afterHeader.size()));
  Put32(out, parts.headerBytes);
  if (parts.headerBytes == 12) {
    Put16(out, static_cast<std::uint32_t>(parts.width));
    Put16(out, static_cast<std::uint32_t>(parts.height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(parts.bitsPerPixel));
  } else {
    Put32(out, static_cast<std::uint32_t>(parts.width));
    Put32(out, static_cast<std::uint32_t>(parts.height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(parts.bitsPerPixel));
    Put32(out, parts.compression);
    Put32(out, 0);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, parts.colorsUsed);
    Put32(out, 0);
    out.resize(14 + parts.headerBytes, 0);
  }
  out.insert(out.end(), parts.afterHeader.begin(), parts.afterHeader.end());
  out.insert(out.end(), parts.pixels.begin(), parts.pixels.end());
  return out;
}

// The colour table of the six test colours, indices 0..5: red, green, blue,
// white, black, yellow (B, G, R, 0 each).
Bytes SixColourTable() {
  return {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0, 255, 255, 0};
}

// The known picture: top row red, green, blue; bottom row white, black, yellow.
void ExpectKnownPicture(const PixelImage& picture) {
  ASSERT_EQ(GetBitmapSize(picture), (PictureSize{3, 2}));
  EXPECT_EQ(picture.At(0, 0), kRed);
  EXPECT_EQ(picture.At(1, 0), kGreen);
  EXPECT_EQ(picture.At(2, 0), kBlue);
  EXPECT_EQ(picture.At(0, 1), kWhite);
  EXPECT_EQ(picture.At(1, 1), kBlack);
  EXPECT_EQ(picture.At(2, 1), kYellow);
}

BmpParts Rgb24BottomUp() {
  BmpParts parts;
  parts.pixels = {255, 255, 255, 0, 0,   0, 0,   255, 255, 0, 0, 0,   // bottom row + pad
                  0,   0,   255, 0, 255, 0, 255, 0,   0,   0, 0, 0};  // top row + pad
  return parts;
}

PixelImage Decoded(const Bytes& bytes) {
  PixelImage picture;
  EXPECT_TRUE(DecodeBitmap(picture, bytes));
  return picture;
}

TEST(BitmapDecoding, TrueColourForms) {
  ExpectKnownPicture(Decoded(Build(Rgb24BottomUp())));

  BmpParts topDown;
  topDown.height = -2;
  topDown.pixels = {0,   0,   255, 0, 255, 0, 255, 0,   0,   0, 0, 0,
                    255, 255, 255, 0, 0,   0, 0,   255, 255, 0, 0, 0};
  ExpectKnownPicture(Decoded(Build(topDown)));

  BmpParts rgb32;
  rgb32.bitsPerPixel = 32;
  rgb32.pixels = {255, 255, 255, 9, 0, 0,   0, 9, 0,   255, 255, 9,
                  0,   0,   255, 9, 0, 255, 0, 9, 255, 0,   0,   9};
  ExpectKnownPicture(Decoded(Build(rgb32)));

  BmpParts rgb555;  // 16 bits without masks: 5-5-5
  rgb555.bitsPerPixel = 16;
  for (std::uint32_t v : {0x7FFFu, 0x0000u, 0x7FE0u}) Put16(rgb555.pixels, v);
  Put16(rgb555.pixels, 0);
  for (std::uint32_t v : {0x7C00u, 0x03E0u, 0x001Fu}) Put16(rgb555.pixels, v);
  Put16(rgb555.pixels, 0);
  ExpectKnownPicture(Decoded(Build(rgb555)));
}

TEST(BitmapDecoding, BitFieldMasks) {
  BmpParts rgb565;  // masks after a 40-byte header
  rgb565.bitsPerPixel = 16;
  rgb565.compression = 3;
  for (std::uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) Put32(rgb565.afterHeader, mask);
  for (std::uint32_t v : {0xFFFFu, 0x0000u, 0xFFE0u}) Put16(rgb565.pixels, v);
  Put16(rgb565.pixels, 0);
  for (std::uint32_t v : {0xF800u, 0x07E0u, 0x001Fu}) Put16(rgb565.pixels, v);
  Put16(rgb565.pixels, 0);
  ExpectKnownPicture(Decoded(Build(rgb565)));

  BmpParts v4;  // masks inside a 108-byte header, red in the top byte
  v4.headerBytes = 108;
  v4.bitsPerPixel = 32;
  v4.compression = 3;
  Bytes bytes = Build(v4);
  const std::uint32_t masks[] = {0xFF000000u, 0x00FF0000u, 0x0000FF00u};
  for (int i = 0; i < 3; ++i)
    for (int b = 0; b < 4; ++b) bytes[54 + 4 * i + b] = (masks[i] >> (8 * b)) & 0xFF;
  for (std::uint32_t rgb : {0xFFFFFFu, 0x000000u, 0xFFFF00u, 0xFF0000u, 0x00FF00u, 0x0000FFu})
    Put32(bytes, rgb << 8);
  ExpectKnownPicture(Decoded(bytes));
}

TEST(BitmapDecoding, ColourTableForms) {
  BmpParts eight;
  eight.bitsPerPixel = 8;
  eight.colorsUsed = 6;
  eight.afterHeader = SixColourTable();
  eight.pixels = {3, 4, 5, 0, 0, 1, 2, 0};
  ExpectKnownPicture(Decoded(Build(eight)));

  BmpParts four;
  four.bitsPerPixel = 4;
  four.colorsUsed = 6;
  four.afterHeader = SixColourTable();
  four.pixels = {0x34, 0x50, 0, 0, 0x01, 0x20, 0, 0};
  ExpectKnownPicture(Decoded(Build(four)));

  BmpParts core;  // 12-byte header, three-byte table entries
  core.headerBytes = 12;
  core.bitsPerPixel = 8;
  for (std::size_t i = 0; i < 256; ++i) {
    const Bytes table = SixColourTable();
    for (int c = 0; c < 3; ++c) core.afterHeader.push_back(i < 6 ? table[i * 4 + c] : 0);
  }
  core.pixels = eight.pixels;
  ExpectKnownPicture(Decoded(Build(core)));

  BmpParts one;  // top row white, black, white; bottom row black, white, white
  one.bitsPerPixel = 1;
  one.afterHeader = {0, 0, 0, 0, 255, 255, 255, 0};
  one.pixels = {0x60, 0, 0, 0, 0xA0, 0, 0, 0};
  const PixelImage picture = Decoded(Build(one));
  ASSERT_EQ(GetBitmapSize(picture), (PictureSize{3, 2}));
  EXPECT_EQ(picture.Pixels(),
            (std::vector<ColorRef>{kWhite, kBlack, kWhite, kBlack, kWhite, kWhite}));
}

TEST(BitmapDecoding, RunLengthForms) {
  BmpParts rle8;
  rle8.bitsPerPixel = 8;
  rle8.compression = 1;
  rle8.colorsUsed = 6;
  rle8.afterHeader = SixColourTable();
  rle8.pixels = {0, 3, 3, 4, 5, 0,  // absolute run of three, padded to a word
                 0, 0,              // end of line
                 1, 0, 1, 1, 1, 2,  // three runs of one
                 0, 0, 0, 1};       // end of line, end of bitmap
  ExpectKnownPicture(Decoded(Build(rle8)));

  BmpParts rle4;
  rle4.bitsPerPixel = 4;
  rle4.compression = 2;
  rle4.colorsUsed = 6;
  rle4.afterHeader = SixColourTable();
  rle4.pixels = {0, 3,    0x34, 0x50, 0, 0,  // absolute run of three nibbles
                 2, 0x01, 1,    0x20,        // runs of alternating nibbles
                 0, 1};
  ExpectKnownPicture(Decoded(Build(rle4)));

  // A delta jumps over pixels, which keep colour 0; the run after it starts
  // past the right edge and is dropped.
  BmpParts delta = rle8;
  delta.pixels = {1, 3, 0, 2, 2, 0, 5, 1, 0, 1};
  const PixelImage picture = Decoded(Build(delta));
  EXPECT_EQ(picture.Pixels(), (std::vector<ColorRef>{kRed, kRed, kRed, kWhite, kRed, kRed}));
}

TEST(BitmapDecoding, RefusesDamagedFiles) {
  const Bytes good = Build(Rgb24BottomUp());
  PixelImage picture(1, 1, 0x123456);
  auto refuses = [&](const Bytes& bytes) {
    const bool decoded = DecodeBitmap(picture, bytes);
    EXPECT_EQ(picture.At(0, 0), 0x123456u) << "a refused file leaves the picture alone";
    return !decoded;
  };

  EXPECT_TRUE(refuses({}));
  EXPECT_TRUE(refuses({'B', 'M'}));
  Bytes notBm = good;
  notBm[0] = 'M';
  EXPECT_TRUE(refuses(notBm));
  EXPECT_TRUE(refuses(Bytes(good.begin(), good.end() - 1))) << "pixel data cut short";
  EXPECT_TRUE(refuses(Bytes(good.begin(), good.begin() + 30))) << "header cut short";

  Bytes farOffset = good;
  farOffset[10] = 0xF0;
  farOffset[11] = 0xFF;
  EXPECT_TRUE(refuses(farOffset)) << "bits offset past the end";
  Bytes hugeHeader = good;
  hugeHeader[17] = 0xFF;
  EXPECT_TRUE(refuses(hugeHeader));

  BmpParts shortTable;
  shortTable.bitsPerPixel = 8;
  shortTable.colorsUsed = 256;
  shortTable.afterHeader = SixColourTable();
  EXPECT_TRUE(refuses(Build(shortTable))) << "colour table past the end";

  BmpParts noMasks = Rgb24BottomUp();
  noMasks.bitsPerPixel = 32;
  noMasks.compression = 3;
  noMasks.pixels.clear();
  EXPECT_TRUE(refuses(Build(noMasks)));

  BmpParts rle = {};
  rle.bitsPerPixel = 8;
  rle.compression = 1;
  rle.afterHeader = SixColourTable();
  rle.colorsUsed = 6;
  rle.pixels = {0, 200, 1, 2};
  EXPECT_TRUE(refuses(Build(rle))) << "absolute run past the end";
  rle.pixels = {3, 1, 0, 0};
  EXPECT_TRUE(refuses(Build(rle))) << "stream ends with a row still to come";
}

TEST(BitmapDecoding, RefusesFormsItDoesNotKnow) {
  PixelImage picture;
  BmpParts parts = Rgb24BottomUp();
  for (int bpp : {0, 2, 48}) {
    parts.bitsPerPixel = bpp;
    EXPECT_FALSE(DecodeBitmap(picture, Build(parts))) << bpp;
  }
  parts = Rgb24BottomUp();
  for (std::uint32_t compression : {1u, 2u, 4u, 5u}) {  // RLE at 24 bits, JPEG, PNG
    parts.compression = compression;
    EXPECT_FALSE(DecodeBitmap(picture, Build(parts))) << compression;
  }
  // Regression: any header size from 40 to 124 was read as a Windows info
  // header, so an OS/2 64-byte header's Huffman compression (3) passed as
  // bit fields.
  for (std::uint32_t size : {41u, 64u, 100u, 123u}) {
    parts = Rgb24BottomUp();
    parts.headerBytes = size;
    EXPECT_FALSE(DecodeBitmap(picture, Build(parts))) << size;
  }
  parts = Rgb24BottomUp();
  parts.headerBytes = 64;
  parts.bitsPerPixel = 16;
  parts.compression = 3;
  parts.pixels.assign(16, 0);
  EXPECT_FALSE(DecodeBitmap(picture, Build(parts))) << "OS/2 Huffman";
  for (std::uint32_t size : {52u, 56u}) {  // the other Windows sizes still load
    parts = Rgb24BottomUp();
    parts.headerBytes = size;
    EXPECT_TRUE(DecodeBitmap(picture, Build(parts))) << size;
  }
  picture.Clear();
  // The core header knows no 16- or 32-bit pixels.
  for (int bpp : {16, 32}) {
    parts = Rgb24BottomUp();
    parts.headerBytes = 12;
    parts.bitsPerPixel = bpp;
    parts.pixels.assign(32, 0);
    EXPECT_FALSE(DecodeBitmap(picture, Build(parts))) << "core header, " << bpp << " bits";
  }

  parts = Rgb24BottomUp();
  parts.width = 0;
  EXPECT_FALSE(DecodeBitmap(picture, Build(parts)));
  parts.width = 3;
  parts.height = 0;
  EXPECT_FALSE(DecodeBitmap(picture, Build(parts)));
  parts.width = 1 << 20;
  parts.height = 1 << 20;
  EXPECT_FALSE(DecodeBitmap(picture, Build(parts))) << "beyond the size cap";
  EXPECT_TRUE(picture.IsEmpty());
}

TEST(BitmapFile, ReadsWholeFilesAndRefusesOthers) {
  ScratchFolder folder;
  const Bytes good = Build(Rgb24BottomUp());
  WriteFileText(folder / "good.bmp", std::string(good.begin(), good.end()));
  WriteFileText(folder / "text.bmp", "This is not a picture, only text with a .bmp name.\n");
  WriteFileText(folder / "short.bmp", std::string(good.begin(), good.begin() + 40));

  PixelImage picture;
  ASSERT_TRUE(LoadBitmapFile(picture, folder / "good.bmp"));
  ExpectKnownPicture(picture);
  EXPECT_FALSE(LoadBitmapFile(picture, folder / "text.bmp"));
  EXPECT_FALSE(LoadBitmapFile(picture, folder / "short.bmp"));
  EXPECT_FALSE(LoadBitmapFile(picture, folder / "missing.bmp"));
  EXPECT_FALSE(LoadBitmapFile(picture, folder.Path())) << "a folder is no file";
  ASSERT_EQ(mkfifo((folder / "pipe.bmp").c_str(), 0600), 0);
  EXPECT_FALSE(LoadBitmapFile(picture, folder / "pipe.bmp")) << "a pipe is refused, not waited on";
  ExpectKnownPicture(picture);
}

}  // namespace
