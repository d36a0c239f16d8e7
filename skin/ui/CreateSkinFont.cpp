#include "skin/ui/CreateSkinFont.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/fontenum.h>

#include <algorithm>
#include <array>

namespace {

// Tallest cell we make; a skin asking for more gets this.
constexpr int kMaxCellHeight = 512;

constexpr std::array<const char*, 4> kJapaneseFallbacks = {"IPAPGothic", "IPAGothic",
                                                           "Noto Sans CJK JP", "VL PGothic"};

wxFont MakeFont(const std::string& face, int emPixels, const SkinFontStyle& style) {
  wxFontInfo info(wxSize(0, emPixels));
  info.Family(wxFONTFAMILY_SWISS)
      .Weight(static_cast<int>(style.weight))
      .Italic(style.slant == FontSlant::Italic)
      .Underlined(style.line == FontLine::Underlined);
  if (!face.empty()) info.FaceName(wxString::FromUTF8(face));
  return wxFont(info);
}

int CellHeight(const wxFont& font) {
  wxBitmap scratch(1, 1);
  wxMemoryDC dc(scratch);
  dc.SetFont(font);
  return dc.GetCharHeight();
}

}  // namespace

std::string ResolveFontFace(std::string_view face) {
  if (!face.empty() &&
      wxFontEnumerator::IsValidFacename(wxString::FromUTF8(face.data(), face.size())))
    return std::string(face);
  for (const char* fallback : kJapaneseFallbacks)
    if (wxFontEnumerator::IsValidFacename(fallback)) return fallback;
  return {};
}

wxFont CreateSkinFont(const SkinFont& description) {
  const std::string face = ResolveFontFace(description.face);
  const int cell = std::clamp(description.pixelHeight, 1, kMaxCellHeight);
  // wxWidgets sizes a font by its em square; the skin gives the cell height,
  // which is taller. Shrink the em size until the cell fits.
  wxFont font = MakeFont(face, cell, description.style);
  const int measured = CellHeight(font);
  if (measured <= cell) return font;
  int em = std::max(1, cell * cell / measured);
  font = MakeFont(face, em, description.style);
  while (em > 1 && CellHeight(font) > cell) font = MakeFont(face, --em, description.style);
  return font;
}
