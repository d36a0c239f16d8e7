#pragma once
// A skin font as plain data: what the skin asks for (face, style letters,
// point size) and the pixel height that size gives on the screen. The
// wxWidgets font is made from it at the drawing edge (skin/ui/CreateSkinFont.h).

#include <string>
#include <string_view>

enum class FontWeight { Regular = 400, Bold = 700 };
enum class FontSlant { Upright, Italic };
enum class FontLine { Plain, Underlined };

struct SkinFontStyle {
  FontWeight weight = FontWeight::Regular;
  FontSlant slant = FontSlant::Upright;
  FontLine line = FontLine::Plain;
  bool operator==(const SkinFontStyle&) const = default;
};

struct SkinFont {
  std::string face;          // face name as the skin gives it
  std::string styleLetters;  // as the skin gives them; see ParseFontStyle
  int points = 0;            // size in points
  int pixelHeight = 0;       // cell height in pixels: PointsToPixels(points)
  SkinFontStyle style;       // parsed from styleLetters
  bool operator==(const SkinFont&) const = default;
};

// Dots per inch assumed when the screen reports none.
inline constexpr int kDefaultScreenDpi = 96;

// points x dpi / 72 rounded to the nearest integer, halves away from zero
// (8 points at 96 dpi give 11). A dpi of 0 or below counts as
// kDefaultScreenDpi. A result outside the int range gives -1.
int PointsToPixels(int points, int dpi);

// Capital "B" makes the weight bold, "I" italic, "U" underlined; every other
// character (lower-case letters included) is ignored, so order does not matter.
SkinFontStyle ParseFontStyle(std::string_view letters);

// The description of the font a skin element asks for, with its pixel height
// at `dpi`.
SkinFont DescribeSkinFont(std::string_view face, int points, std::string_view letters, int dpi);
