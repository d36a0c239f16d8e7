#include "skin/BitmapFile.h"

#include <array>
#include <bit>
#include <vector>

#include "platform/SmallFile.h"

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;
constexpr std::uint32_t kInfoHeaderBytes = 40;

// The info headers of the Windows versions: 40, with RGB masks 52, with alpha
// mask 56, V4 108, V5 124. Other sizes (the OS/2 64-byte header, whose
// compression numbers mean other things) are refused.
bool IsInfoHeaderSize(std::uint32_t bytes) {
  return bytes == kInfoHeaderBytes || bytes == 52 || bytes == 56 || bytes == 108 || bytes == 124;
}

// The core header carries no compression and allows no 16 or 32 bits.
bool IsCoreBitDepth(int bitsPerPixel) {
  return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 24;
}

enum class Compression : std::uint32_t { None = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

// Bounds-checked little-endian reads over the file's bytes.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
  bool Has(std::uint64_t offset, std::uint64_t length) const {
    return offset <= m_bytes.size() && length <= m_bytes.size() - offset;
  }
  std::uint8_t U8(std::size_t offset) const { return m_bytes[offset]; }
  std::uint16_t U16(std::size_t offset) const {
    return static_cast<std::uint16_t>(m_bytes[offset] | m_bytes[offset + 1] << 8);
  }
  std::uint32_t U32(std::size_t offset) const {
    return static_cast<std::uint32_t>(m_bytes[offset]) |
           static_cast<std::uint32_t>(m_bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(m_bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(m_bytes[offset + 3]) << 24;
  }
  std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

 private:
  std::span<const std::uint8_t> m_bytes;
};

// One colour channel described by a bit-field mask.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(std::uint32_t channelMask = 0) : mask(channelMask) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    bits = std::popcount(mask);
  }

  // The channel scaled to 8 bits by repeating its bits, so a full channel
  // gives 255 and an empty one 0 at any width.
  std::uint8_t Extract(std::uint32_t pixel) const {
    if (bits == 0) return 0;
    std::uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<std::uint8_t>(value >> (bits - 8));
    std::uint32_t repeated = 0;
    int filled = 0;
    while (filled < 8) {
      repeated = repeated << bits | value;
      filled += bits;
    }
    return static_cast<std::uint8_t>(repeated >> (filled - 8));
  }
};

struct BitmapLayout {
  std::int64_t width = 0;
  std::int64_t height = 0;  // always positive; see topDown
  bool topDown = false;
  int bitsPerPixel = 0;
  Compression compression = Compression::None;
  std::array<Channel, 3> channels;      // red, green, blue, for 16 and 32 bits
  std::array<ColorRef, 256> palette{};  // unused entries stay black
  std::size_t bitsOffset = 0;
};

bool ReadMasks(const ByteReader& in, std::size_t offset, BitmapLayout& layout) {
  if (!in.Has(offset, 12)) return false;
  for (int i = 0; i < 3; ++i) layout.channels[i] = Channel(in.U32(offset + 4 * i));
  return true;
}

void SetDefaultMasks(BitmapLayout& layout) {
  if (layout.bitsPerPixel == 16) {
    layout.channels = {Channel(0x7C00), Channel(0x03E0), Channel(0x001F)};
  } else {
    layout.channels = {Channel(0xFF0000), Channel(0x00FF00), Channel(0x0000FF)};
  }
}

bool IsAcceptedForm(int bitsPerPixel, Compression compression) {
  switch (compression) {
    case Compression::None:
      return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 ||
             bitsPerPixel == 24 || bitsPerPixel == 32;
    case Compression::Rle8:
      return bitsPerPixel == 8;
    case Compression::Rle4:
      return bitsPerPixel == 4;
    case Compression::BitFields:
      return bitsPerPixel == 16 || bitsPerPixel == 32;
  }
  return false;
}

// Reads the headers and the colour table. False for anything outside the
// bytes or outside the accepted forms.
bool ReadLayout(const ByteReader& in, BitmapLayout& layout) {
  if (!in.Has(0, kFileHeaderBytes + 4) || in.U16(0) != 0x4D42) return false;
  const std::uint32_t headerBytes = in.U32(kFileHeaderBytes);
  if (headerBytes != kCoreHeaderBytes && !IsInfoHeaderSize(headerBytes)) return false;
  if (!in.Has(kFileHeaderBytes, headerBytes)) return false;

  std::uint32_t colorsUsed = 0;
  std::uint32_t compression = 0;
  const std::size_t paletteOffset = kFileHeaderBytes + headerBytes;
  std::size_t paletteEntryBytes = 4;
  if (headerBytes == kCoreHeaderBytes) {
    layout.width = in.U16(18);
    layout.height = in.U16(20);
    layout.bitsPerPixel = in.U16(24);
    if (!IsCoreBitDepth(layout.bitsPerPixel)) return false;
    paletteEntryBytes = 3;
  } else {
    layout.width = in.I32(18);
    const std::int64_t height = in.I32(22);
    layout.topDown = height < 0;
    layout.height = height < 0 ? -height : height;
    layout.bitsPerPixel = in.U16(28);
    compression = in.U32(30);
    colorsUsed = in.U32(46);
  }
  if (compression > static_cast<std::uint32_t>(Compression::BitFields)) return false;
  layout.compression = static_cast<Compression>(compression);
  if (!IsAcceptedForm(layout.bitsPerPixel, layout.compression)) return false;
  if (!IsAcceptablePictureSize(layout.width, layout.height)) return false;
  // Compressed rows are always stored bottom-up.
  if (layout.topDown &&
      (layout.compression == Compression::Rle8 || layout.compression == Compression::Rle4))
    return false;

  if (layout.compression == Compression::BitFields) {
    // The masks follow the 40-byte part of the header, after it or inside a
    // larger one. Bit fields go with 16 or 32 bits, so no colour table follows.
    if (!ReadMasks(in, kFileHeaderBytes + kInfoHeaderBytes, layout)) return false;
  } else {
    SetDefaultMasks(layout);
  }

  if (layout.bitsPerPixel <= 8) {
    const std::uint32_t tableSize = 1u << layout.bitsPerPixel;
    const std::uint32_t entries =
        colorsUsed == 0 || colorsUsed > tableSize ? tableSize : colorsUsed;
    if (!in.Has(paletteOffset, std::uint64_t{entries} * paletteEntryBytes)) return false;
    for (std::uint32_t i = 0; i < entries; ++i) {
      const std::size_t at = paletteOffset + i * paletteEntryBytes;
      layout.palette[i] = MakeColorRef(in.U8(at + 2), in.U8(at + 1), in.U8(at));
    }
  }
  layout.bitsOffset = in.U32(10);
  return in.Has(layout.bitsOffset, 1);
}

int PictureRow(const BitmapLayout& layout, std::int64_t storedRow) {
  return static_cast<int>(layout.topDown ? storedRow : layout.height - 1 - storedRow);
}

bool DecodeUncompressed(const ByteReader& in, const BitmapLayout& layout, PixelImage& picture) {
  const std::uint64_t stride =
      ((static_cast<std::uint64_t>(layout.width) * layout.bitsPerPixel + 31) / 32) * 4;
  if (!in.Has(layout.bitsOffset, stride * static_cast<std::uint64_t>(layout.height))) return false;
  const int bpp = layout.bitsPerPixel;
  for (std::int64_t row = 0; row < layout.height; ++row) {
    const std::size_t rowStart = layout.bitsOffset + static_cast<std::size_t>(row * stride);
    const int y = PictureRow(layout, row);
    for (int x = 0; x < layout.width; ++x) {
      ColorRef color = 0;
      if (bpp <= 8) {
        const std::size_t bit = static_cast<std::size_t>(x) * bpp;
        const std::uint8_t byte = in.U8(rowStart + bit / 8);
        const int index = (byte >> (8 - bpp - static_cast<int>(bit % 8))) & ((1 << bpp) - 1);
        color = layout.palette[index];
      } else if (bpp == 24) {
        const std::size_t at = rowStart + static_cast<std::size_t>(x) * 3;
        color = MakeColorRef(in.U8(at + 2), in.U8(at + 1), in.U8(at));
      } else {
        const std::size_t at = rowStart + static_cast<std::size_t>(x) * (bpp / 8);
        const std::uint32_t value = bpp == 16 ? in.U16(at) : in.U32(at);
        color = MakeColorRef(layout.channels[0].Extract(value), layout.channels[1].Extract(value),
                             layout.channels[2].Extract(value));
      }
      picture.Set(x, y, color);
    }
  }
  return true;
}

// Run-length decoding for 8 and 4 bits per pixel. Pixels a delta skips over
// keep colour 0 of the table; pixels past the right edge are dropped. A stream
// that ends before every row was reached is refused as cut short.
bool DecodeRunLength(const ByteReader& in, const BitmapLayout& layout, PixelImage& picture) {
  const bool fourBit = layout.compression == Compression::Rle4;
  const std::int64_t width = layout.width;
  const std::int64_t height = layout.height;
  std::int64_t x = 0;
  std::int64_t row = 0;  // stored row, 0 = bottom
  auto put = [&](int index) {
    if (x < width && row < height)
      picture.Set(static_cast<int>(x), PictureRow(layout, row), layout.palette[index]);
    ++x;
  };
  std::size_t at = layout.bitsOffset;
  while (row < height) {
    if (!in.Has(at, 2)) return false;
    const std::uint8_t count = in.U8(at);
    const std::uint8_t value = in.U8(at + 1);
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i)
        put(fourBit ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (!in.Has(at, 2)) return false;
      x += in.U8(at);
      row += in.U8(at + 1);
      at += 2;
    } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
      const std::size_t bytes = fourBit ? (value + 1u) / 2 : value;
      if (!in.Has(at, bytes)) return false;
      for (int i = 0; i < value; ++i) {
        const std::uint8_t byte = in.U8(at + (fourBit ? i / 2 : i));
        put(fourBit ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
      }
      at += bytes + bytes % 2;
    }
  }
  return true;
}

}  // namespace

bool DecodeBitmap(PixelImage& picture, std::span<const std::uint8_t> bytes) {
  const ByteReader in(bytes);
  BitmapLayout layout;
  if (!ReadLayout(in, layout)) return false;
  PixelImage decoded(static_cast<int>(layout.width), static_cast<int>(layout.height),
                     layout.palette[0]);
  const bool ok = layout.compression == Compression::Rle8 || layout.compression == Compression::Rle4
                      ? DecodeRunLength(in, layout, decoded)
                      : DecodeUncompressed(in, layout, decoded);
  if (!ok) return false;
  picture = std::move(decoded);
  return true;
}

bool LoadBitmapFile(PixelImage& picture, const std::string& path) {
  std::string bytes;
  if (ReadSmallFile(path, kMaxBitmapFileBytes, bytes) != FileReadResult::Read) return false;
  return DecodeBitmap(picture, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}
