#include "tools/skin_artwork/SkinFace.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kFaceWidth = 275;
constexpr int kFaceHeight = 220;

// A ColorRef (red in the low byte) as a canvas colour.
Rgba FromColorRef(ColorRef color) {
  return Hex((color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF));
}

const Rgba kKeyColor = FromColorRef(builtin_art::kButtonKeyColor);
const Rgba kBlack = Hex(0x000000);

// A 3 x 5 pixel alphabet for the etched lettering.
const char* Glyph(char letter) {
  switch (letter) {
    case 'A':
      return "010101111101101";
    case 'C':
      return "011100100100011";
    case 'E':
      return "111100110100111";
    case 'F':
      return "111100110100100";
    case 'H':
      return "101101111101101";
    case 'I':
      return "111010010010111";
    case 'K':
      return "101101110101101";
    case 'L':
      return "100100100100111";
    case 'N':
      return "110101101101101";
    case 'O':
      return "010101101101010";
    case 'P':
      return "110101110100100";
    case 'R':
      return "110101110101101";
    case 'S':
      return "011100010001110";
    case 'T':
      return "111010010010010";
    case 'U':
      return "101101101101111";
    default:
      return "000000000000000";
  }
}

int TextWidth(std::string_view text) { return static_cast<int>(text.size()) * 4 - 1; }

// Lettering pressed into the face: the letter, with a faint light edge below.
void Etch(Canvas& canvas, int x, int y, std::string_view text, Rgba color, Rgba edge) {
  for (char letter : text) {
    const char* bits = Glyph(letter);
    for (int row = 0; row < 5; ++row)
      for (int column = 0; column < 3; ++column)
        if (bits[row * 3 + column] == '1') {
          canvas.Blend(x + column, y + row + 1, edge);
          canvas.Blend(x + column, y + row, color);
        }
    x += 4;
  }
}

// A recessed frame around the rectangle [x0, x1) x [y0, y1): two lines each
// side, dark above and left, light below and right, and a black floor.
void Well(Canvas& canvas, int x0, int y0, int x1, int y1, const Theme& theme) {
  const Rgba darkOuter = Mix(theme.shadow, kBlack, 0.3f);
  const Rgba darkInner = Mix(theme.shadow, kBlack, 0.75f);
  canvas.FillRect(x0 - 2, y0 - 2, x1 + 2, y0 - 1, darkOuter);
  canvas.FillRect(x0 - 2, y0 - 2, x0 - 1, y1 + 2, darkOuter);
  canvas.FillRect(x0 - 1, y1 + 1, x1 + 2, y1 + 2, theme.highlight);
  canvas.FillRect(x1 + 1, y0 - 1, x1 + 2, y1 + 2, theme.highlight);
  canvas.FillRect(x0 - 1, y0 - 1, x1 + 1, y0, darkInner);
  canvas.FillRect(x0 - 1, y0 - 1, x0, y1 + 1, darkInner);
  canvas.FillRect(x0, y1, x1 + 1, y1 + 1, Mix(theme.highlight, theme.faceBottom, 0.6f));
  canvas.FillRect(x1, y0, x1 + 1, y1 + 1, Mix(theme.highlight, theme.faceBottom, 0.6f));
  canvas.FillRect(x0, y0, x1, y1, kBlack);
}

// A groove across the face: a dark line over a light one.
void Groove(Canvas& canvas, int x0, int x1, int y, const Theme& theme) {
  canvas.FillRect(x0, y, x1, y + 1, Mix(theme.shadow, kBlack, 0.4f));
  canvas.FillRect(x0, y + 1, x1, y + 2, theme.highlight);
}

// A fixed, repeatable grain so the face does not look flat.
float Grain(int x, int y) {
  std::uint32_t h =
      static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<float>((h >> 8) & 0xFF) / 255.0f - 0.5f;
}

// Round holes of a speaker grille between x0 and x1, rows at y and y + 4.
void Grille(Canvas& canvas, int x0, int x1, int y, const Theme& theme) {
  for (int row = 0; row < 3; ++row) {
    const float cy = static_cast<float>(y + row * 4) + 0.5f;
    const int shift = row % 2 == 0 ? 0 : 2;
    for (int x = x0 + shift; x + 2 < x1; x += 4) {
      const float cx = static_cast<float>(x) + 0.5f;
      canvas.Fill(Circle(cx, cy + 0.6f, 1.2f), Mix(theme.highlight, theme.faceBottom, 0.3f));
      canvas.Fill(Circle(cx, cy, 1.2f), Mix(theme.shadow, kBlack, 0.5f));
    }
  }
}

Rgba Accent(const Theme& theme, float heat) { return Mix(theme.accent, theme.accentHot, heat); }

}  // namespace

const Theme& BuiltinTheme() {
  static const Theme theme{Hex(0x30343c), Hex(0x1c1e23), Hex(0x08090b), Hex(0x4c525e),
                           Hex(0x0e0f12), Hex(0xe8a317), Hex(0xffe066), Hex(0x2a2210),
                           Hex(0x8d7a52), Hex(0x4a4f5a), Hex(0x2a2d34), Hex(0xc9ccd3)};
  return theme;
}

const Theme& ExampleTheme() {
  static const Theme theme{Hex(0x1f3340), Hex(0x0e1a22), Hex(0x04080b), Hex(0x3d5e70),
                           Hex(0x071015), Hex(0x17b8b0), Hex(0x9ffff2), Hex(0x0d2826),
                           Hex(0x5f9aa8), Hex(0x355566), Hex(0x1b2d38), Hex(0xc4e4ec)};
  return theme;
}

Canvas DrawFace(const Theme& theme, const FaceLayout& layout, std::string_view wordmark) {
  Canvas face(kFaceWidth, kFaceHeight);
  face.VerticalGradient(0, 0, kFaceWidth, kFaceHeight, theme.faceTop, theme.faceBottom);
  for (int y = 0; y < kFaceHeight; ++y)
    for (int x = 0; x < kFaceWidth; ++x) {
      const float grain = Grain(x, y) * 0.035f;
      face.Blend(x, y, grain > 0 ? Rgba{1, 1, 1, grain} : Rgba{0, 0, 0, -grain});
    }

  // Title strip: a shade darker, closed by a groove.
  face.FillRect(0, 0, kFaceWidth, 15, Rgba{0, 0, 0, 0.22f});
  Groove(face, 2, kFaceWidth - 2, 15, theme);
  Etch(face, (kFaceWidth - TextWidth(wordmark)) / 2, 5, wordmark, theme.label,
       Rgba{1, 1, 1, 0.08f});

  // One display well holding the four panels, split by faint rules.
  const builtin_art::ElementBox& text = layout.currentFile;
  const int wellLeft = text.x - 4, wellRight = layout.indicator.x + layout.indicator.w + 4;
  const int wellTop = text.y - 4, wellBottom = layout.progress.y + layout.progress.h + 4;
  Well(face, wellLeft, wellTop, wellRight, wellBottom, theme);
  const Rgba rule = Mix(theme.unlit, kBlack, 0.35f);
  const int split = (text.x + text.w + layout.indicator.x) / 2;
  face.FillRect(split, wellTop + 2, split + 1, wellBottom - 2, rule);
  const int middle = (text.y + text.h + layout.progress.y) / 2;
  face.FillRect(wellLeft + 2, middle, wellRight - 2, middle + 1, rule);

  // Control row: list button, its label, a grille, the skip button.
  Etch(face, layout.open.x + layout.open.w + 5, layout.open.y + 4, "LIST", theme.label,
       Rgba{1, 1, 1, 0.08f});
  Grille(face, 64, layout.skip.x - 28, layout.skip.y + 2, theme);
  Etch(face, layout.skip.x - 21, layout.skip.y + 4, "SKIP", theme.label, Rgba{1, 1, 1, 0.08f});
  Groove(face, 2, kFaceWidth - 2, 79, theme);

  // The list well, then the bottom lip that also closes the short window.
  const builtin_art::ElementBox& list = layout.list;
  Well(face, list.x, list.y, list.x + list.w, list.y + list.h, theme);
  Groove(face, 2, kFaceWidth - 2, kFaceHeight - 8, theme);

  // Raised outer edge.
  face.FillRect(1, 1, kFaceWidth - 1, 2, theme.highlight);
  face.FillRect(1, 1, 2, kFaceHeight - 1, theme.highlight);
  face.FillRect(1, kFaceHeight - 2, kFaceWidth - 1, kFaceHeight - 1, theme.shadow);
  face.FillRect(kFaceWidth - 2, 1, kFaceWidth - 1, kFaceHeight - 1, theme.shadow);
  face.FillRect(0, 0, kFaceWidth, 1, theme.rim);
  face.FillRect(0, kFaceHeight - 1, kFaceWidth, kFaceHeight, theme.rim);
  face.FillRect(0, 0, 1, kFaceHeight, theme.rim);
  face.FillRect(kFaceWidth - 1, 0, kFaceWidth, kFaceHeight, theme.rim);
  return face;
}

Canvas DrawProgressBar(const Theme& theme) {
  // Upper half filled, lower half empty; segments of 3 lit pixels and a gap,
  // so the bar's 2-pixel steps read as a meter.
  Canvas bar(200, 20, kBlack);
  for (int y = 0; y < 10; ++y) {
    const float heat = 1.0f - static_cast<float>(y < 5 ? 4 - y : y - 4) / 5.0f;
    for (int x = 0; x < 200; ++x) {
      const bool gap = x % 4 == 3 || y == 0 || y == 9;
      bar.Set(x, y, gap ? Mix(theme.accent, kBlack, 0.8f) : Accent(theme, heat * 0.9f));
      bar.Set(x, y + 10, gap ? kBlack : Mix(theme.unlit, kBlack, y == 1 ? 0.0f : 0.25f));
    }
  }
  return bar;
}

Canvas DrawIndicator(const Theme& theme) {
  // A level meter of seven bars; frame 0 (idle) has every segment unlit.
  static constexpr std::array<std::array<int, 7>, 8> kLevels = {{{0, 0, 0, 0, 0, 0, 0},
                                                                 {2, 4, 3, 5, 2, 3, 1},
                                                                 {3, 5, 4, 3, 4, 2, 2},
                                                                 {4, 3, 5, 4, 3, 4, 2},
                                                                 {5, 4, 3, 5, 4, 3, 3},
                                                                 {3, 5, 4, 3, 5, 4, 2},
                                                                 {2, 4, 5, 4, 3, 5, 3},
                                                                 {1, 3, 4, 5, 4, 3, 4}}};
  Canvas strip(30, 80, kBlack);
  for (int frame = 0; frame < 8; ++frame) {
    const int top = frame * 10;
    for (int bar = 0; bar < 7; ++bar) {
      const int x = 2 + bar * 4;
      for (int segment = 0; segment < 5; ++segment) {
        const int y = top + 8 - segment * 2;
        const bool lit = segment < kLevels[frame][bar];
        const Rgba color = lit ? Accent(theme, static_cast<float>(segment) / 4.0f) : theme.unlit;
        strip.FillRect(x, y, x + 3, y + 1, color);
      }
    }
  }
  return strip;
}

Canvas DrawListTrack(const Theme& theme) {
  // Even from top to bottom, so it tiles at any height.
  Canvas track(10, 20, kBlack);
  for (int x = 0; x < 10; ++x) {
    Rgba color = Mix(theme.faceBottom, kBlack, 0.55f);
    if (x == 0) color = Mix(theme.shadow, kBlack, 0.5f);
    if (x == 4 || x == 5) color = Mix(theme.faceBottom, kBlack, 0.25f);
    track.FillRect(x, 0, x + 1, 20, color);
  }
  return track;
}

Canvas DrawListThumb(const Theme& theme) {
  // Drawn over the track, so its rounded ends sit on the track's colours.
  Canvas thumb(10, 15);
  const Canvas track = DrawListTrack(theme);
  thumb.Draw(track.Crop(0, 0, 10, 15), 0, 0);
  thumb.Fill(RoundRect(1.0f, 0.5f, 9.5f, 14.5f, 3.0f), theme.rim);
  thumb.Fill(RoundRect(1.5f, 1.0f, 9.0f, 14.0f, 2.5f),
             [&](float x, float) { return Mix(theme.capTop, theme.capBottom, (x - 1.5f) / 7.5f); });
  return thumb;
}

Canvas DrawListArrows(const Theme& theme) {
  Canvas arrows(20, 20, kBlack);
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) {
      const float x = column * 10.0f, y = row * 10.0f;
      const bool pressed = column == 1;
      arrows.Fill(Moved(RoundRect(0.5f, 0.5f, 9.5f, 9.5f, 2.0f), x, y), theme.rim);
      arrows.Fill(Moved(RoundRect(1.0f, 1.0f, 9.0f, 9.0f, 1.5f), x, y), [&](float, float py) {
        const float t = (py - y - 1.0f) / 8.0f;
        return pressed ? Mix(theme.capBottom, theme.capTop, t * 0.6f)
                       : Mix(theme.capTop, theme.capBottom, t);
      });
      const float drop = pressed ? 0.5f : 0.0f;
      const Shape up = Triangle(2.5f, 6.5f, 7.5f, 6.5f, 5.0f, 3.5f);
      const Shape down = Triangle(2.5f, 3.5f, 7.5f, 3.5f, 5.0f, 6.5f);
      arrows.Fill(Moved(row == 0 ? up : down, x, y + drop),
                  pressed ? theme.accentHot : theme.symbol);
    }
  }
  return arrows;
}

Canvas DrawButton(const Theme& theme, const Canvas& face, const builtin_art::ElementBox& box,
                  ButtonSymbol symbol) {
  const float w = static_cast<float>(box.w), h = static_cast<float>(box.h);
  const Shape outline = RoundRect(0.0f, 0.0f, w, h, 3.5f);
  const Shape cap = RoundRect(1.0f, 1.0f, w - 1.0f, h - 1.0f, 2.5f);
  const float cx = w / 2.0f, cy = h / 2.0f;

  Shape mark;
  switch (symbol) {
    case ButtonSymbol::Menu:
      mark = Union({Segment(cx - 2.5f, cy - 2.0f, cx + 2.5f, cy - 2.0f, 1.2f),
                    Segment(cx - 2.5f, cy, cx + 2.5f, cy, 1.2f),
                    Segment(cx - 2.5f, cy + 2.0f, cx + 2.5f, cy + 2.0f, 1.2f)});
      break;
    case ButtonSymbol::Minimize:
      mark = Segment(cx - 2.5f, cy + 2.0f, cx + 2.5f, cy + 2.0f, 1.6f);
      break;
    case ButtonSymbol::Close:
      mark = Union({Segment(cx - 2.3f, cy - 2.3f, cx + 2.3f, cy + 2.3f, 1.5f),
                    Segment(cx + 2.3f, cy - 2.3f, cx - 2.3f, cy + 2.3f, 1.5f)});
      break;
    case ButtonSymbol::Open:
      mark = Union({Triangle(cx - 3.5f, cy - 2.5f, cx + 3.5f, cy - 2.5f, cx, cy + 1.3f),
                    Segment(cx - 3.2f, cy + 3.0f, cx + 3.2f, cy + 3.0f, 1.3f)});
      break;
    case ButtonSymbol::Skip:
      mark = Union({Triangle(cx - 6.0f, cy - 3.2f, cx - 6.0f, cy + 3.2f, cx - 1.0f, cy),
                    Triangle(cx - 1.0f, cy - 3.2f, cx - 1.0f, cy + 3.2f, cx + 4.0f, cy),
                    Segment(cx + 5.2f, cy - 3.0f, cx + 5.2f, cy + 3.0f, 1.5f)});
      break;
  }

  Canvas button(box.w, box.h * 2);
  for (int state = 0; state < 2; ++state) {
    const bool pressed = state == 1;
    Canvas half = face.Crop(box.x, box.y, box.w, box.h);
    Canvas coverage(box.w, box.h);
    coverage.Fill(outline, Hex(0xffffff));
    half.Fill(outline, theme.rim);
    half.Fill(cap, [&](float, float y) {
      const float t = (y - 1.0f) / (h - 2.0f);
      return pressed ? Mix(Mix(theme.capBottom, kBlack, 0.35f), theme.capBottom, t)
                     : Mix(theme.capTop, theme.capBottom, t);
    });
    if (pressed) {
      half.FillRect(2, 1, box.w - 2, 2, Rgba{0, 0, 0, 0.45f});
      half.Fill(Moved(mark, 0.0f, 1.0f), Mix(theme.accentHot, theme.accent, 0.3f));
    } else {
      half.FillRect(2, 1, box.w - 2, 2, Rgba{1, 1, 1, 0.18f});
      half.Fill(Moved(mark, 0.0f, 1.0f), Rgba{0, 0, 0, 0.5f});
      half.Fill(mark, theme.symbol);
    }
    for (int y = 0; y < box.h; ++y)
      for (int x = 0; x < box.w; ++x)
        button.Set(x, state * box.h + y, coverage.At(x, y).a > 0 ? half.At(x, y) : kKeyColor);
  }
  return button;
}
