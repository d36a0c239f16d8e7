#include "tools/skin_artwork/ImageFiles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

std::uint8_t Channel8(float value) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

// 0xRRGGBB of a pixel with its alpha dropped.
std::uint32_t Rgb8(const Rgba& c) {
  return Channel8(c.r) << 16 | Channel8(c.g) << 8 | Channel8(c.b);
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(value & 0xFF);
  out.push_back((value >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
void Put32BigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back((value >> shift) & 0xFF);
}
void Patch32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = (value >> (8 * i)) & 0xFF;
}

void PutFileAndInfoHeader(std::vector<std::uint8_t>& out, int width, int height,
                          std::uint32_t headerBytes, int bitsPerPixel, std::uint32_t compression,
                          std::uint32_t colors) {
  out = {'B', 'M'};
  Put32(out, 0);  // file size, patched at the end
  Put32(out, 0);
  Put32(out, 0);  // bits offset, patched once known
  Put32(out, headerBytes);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<std::uint32_t>(bitsPerPixel));
  Put32(out, compression);
  Put32(out, 0);     // image size; may be 0 for uncompressed
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, colors);
  Put32(out, 0);
}

void FinishFile(std::vector<std::uint8_t>& out, std::size_t bitsOffset) {
  Patch32(out, 10, static_cast<std::uint32_t>(bitsOffset));
  Patch32(out, 2, static_cast<std::uint32_t>(out.size()));
}

std::vector<std::uint8_t> Rgb24(const Canvas& canvas, bool topDown) {
  std::vector<std::uint8_t> out;
  const int height = canvas.Height();
  PutFileAndInfoHeader(out, canvas.Width(), topDown ? -height : height, 40, 24, 0, 0);
  const std::size_t bitsOffset = out.size();
  for (int row = 0; row < height; ++row) {
    const int y = topDown ? row : height - 1 - row;
    std::size_t rowStart = out.size();
    for (int x = 0; x < canvas.Width(); ++x) {
      const std::uint32_t rgb = Rgb8(canvas.At(x, y));
      out.push_back(rgb & 0xFF);
      out.push_back((rgb >> 8) & 0xFF);
      out.push_back(rgb >> 16);
    }
    while ((out.size() - rowStart) % 4 != 0) out.push_back(0);
  }
  FinishFile(out, bitsOffset);
  return out;
}

// 32 bits per pixel, red in the top byte: a layout only the masks explain.
std::vector<std::uint8_t> BitFields32(const Canvas& canvas) {
  std::vector<std::uint8_t> out;
  PutFileAndInfoHeader(out, canvas.Width(), canvas.Height(), 108, 32, 3, 0);
  Put32(out, 0xFF000000);  // red
  Put32(out, 0x00FF0000);  // green
  Put32(out, 0x0000FF00);  // blue
  Put32(out, 0);           // alpha
  Put32(out, 0x73524742);  // "sRGB"
  out.resize(14 + 108, 0);
  const std::size_t bitsOffset = out.size();
  for (int y = canvas.Height() - 1; y >= 0; --y)
    for (int x = 0; x < canvas.Width(); ++x) Put32(out, Rgb8(canvas.At(x, y)) << 8);
  FinishFile(out, bitsOffset);
  return out;
}

std::vector<std::uint8_t> Rle8(const Canvas& canvas) {
  std::map<std::uint32_t, int> index;
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) index.emplace(Rgb8(canvas.At(x, y)), 0);
  if (index.size() > 256) return {};
  int next = 0;
  for (auto& entry : index) entry.second = next++;

  std::vector<std::uint8_t> out;
  PutFileAndInfoHeader(out, canvas.Width(), canvas.Height(), 40, 8, 1,
                       static_cast<std::uint32_t>(index.size()));
  for (const auto& entry : index) Put32(out, entry.first);  // B, G, R, 0 in little-endian order
  const std::size_t bitsOffset = out.size();
  for (int y = canvas.Height() - 1; y >= 0; --y) {
    int x = 0;
    while (x < canvas.Width()) {
      const int value = index[Rgb8(canvas.At(x, y))];
      int run = 1;
      while (x + run < canvas.Width() && run < 255 && index[Rgb8(canvas.At(x + run, y))] == value)
        ++run;
      out.push_back(static_cast<std::uint8_t>(run));
      out.push_back(static_cast<std::uint8_t>(value));
      x += run;
    }
    out.push_back(0);  // end of line
    out.push_back(0);
  }
  out.push_back(0);  // end of bitmap
  out.push_back(1);
  FinishFile(out, bitsOffset);
  return out;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t length, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type,
              const std::vector<std::uint8_t>& data) {
  Put32BigEndian(out, static_cast<std::uint32_t>(data.size()));
  std::vector<std::uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  Put32BigEndian(out, Crc32(typed.data(), typed.size()));
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp(const Canvas& canvas, BmpForm form) {
  switch (form) {
    case BmpForm::Rgb24BottomUp:
      return Rgb24(canvas, false);
    case BmpForm::Rgb24TopDown:
      return Rgb24(canvas, true);
    case BmpForm::BitFields32:
      return BitFields32(canvas);
    case BmpForm::Rle8:
      return Rle8(canvas);
  }
  return {};
}

std::vector<std::uint8_t> EncodePng(const Canvas& canvas) {
  std::vector<std::uint8_t> raw;  // filter byte 0, then RGBA per row
  for (int y = 0; y < canvas.Height(); ++y) {
    raw.push_back(0);
    for (int x = 0; x < canvas.Width(); ++x) {
      const Rgba c = canvas.At(x, y);
      raw.insert(raw.end(), {Channel8(c.r), Channel8(c.g), Channel8(c.b), Channel8(c.a)});
    }
  }
  std::vector<std::uint8_t> zlib = {0x78, 0x01};
  constexpr std::size_t kStoredBlock = 65535;
  for (std::size_t at = 0; at < raw.size() || at == 0; at += kStoredBlock) {
    const std::size_t length = std::min(kStoredBlock, raw.size() - at);
    zlib.push_back(at + length >= raw.size() ? 1 : 0);
    Put16(zlib, static_cast<std::uint32_t>(length));
    Put16(zlib, static_cast<std::uint32_t>(~length & 0xFFFF));
    zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                raw.begin() + static_cast<std::ptrdiff_t>(at + length));
    if (raw.empty()) break;
  }
  std::uint32_t a = 1, b = 0;  // Adler-32
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  Put32BigEndian(zlib, b << 16 | a);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  Put32BigEndian(header, static_cast<std::uint32_t>(canvas.Width()));
  Put32BigEndian(header, static_cast<std::uint32_t>(canvas.Height()));
  header.insert(header.end(),
                {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter method, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  return png;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
