// The wxWidgets edge of the skin: fonts with their fallback face, pictures
// turned into bitmaps, the embedded icons. Runs under Xvfb.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/fontenum.h>
#include <wx/image.h>

#include "skin/BuiltinArtwork.h"
#include "skin/ui/CreateSkinFont.h"
#include "skin/ui/EmbeddedIcon.h"
#include "skin/ui/PictureConversion.h"
#include "skin/ui/ScreenScale.h"
#include "tests/support/WxTestEnvironment.h"

namespace {

int CellHeight(const wxFont& font) {
  wxBitmap scratch(1, 1);
  wxMemoryDC dc(scratch);
  dc.SetFont(font);
  return dc.GetCharHeight();
}

TEST(SkinFontUi, LettersInAnyOrderMakeTheSameFont) {
  const wxFont bui = CreateSkinFont(DescribeSkinFont("MS UI Gothic", 8, "BUI", 96));
  const wxFont iub = CreateSkinFont(DescribeSkinFont("MS UI Gothic", 8, "IUB", 96));
  EXPECT_TRUE(bui == iub);
  EXPECT_EQ(bui.GetNumericWeight(), 700);
  EXPECT_EQ(bui.GetStyle(), wxFONTSTYLE_ITALIC);
  EXPECT_TRUE(bui.GetUnderlined());

  const wxFont plain = CreateSkinFont(DescribeSkinFont("MS UI Gothic", 8, "biu", 96));
  EXPECT_EQ(plain.GetNumericWeight(), 400);
  EXPECT_EQ(plain.GetStyle(), wxFONTSTYLE_NORMAL);
  EXPECT_FALSE(plain.GetUnderlined());
}

TEST(SkinFontUi, MissingFaceFallsBackToAJapaneseSansSerif) {
  ASSERT_TRUE(wxFontEnumerator::IsValidFacename("IPAPGothic"))
      << "fonts-ipafont-gothic is installed";
  EXPECT_EQ(ResolveFontFace("MS UI Gothic"), "IPAPGothic");
  EXPECT_EQ(ResolveFontFace(""), "IPAPGothic");
  EXPECT_EQ(ResolveFontFace("IPAGothic"), "IPAGothic") << "an installed face is kept";
  const wxFont font = CreateSkinFont(DescribeSkinFont("MS UI Gothic", 8, "", 96));
  EXPECT_EQ(font.GetFaceName(), "IPAPGothic");
}

TEST(SkinFontUi, PixelHeightIsTheCellHeight) {
  for (int points : {6, 8, 9, 12, 20}) {
    const SkinFont description = DescribeSkinFont("MS UI Gothic", points, "", 96);
    const int cell = CellHeight(CreateSkinFont(description));
    EXPECT_LE(cell, description.pixelHeight) << points;
    EXPECT_GE(cell, description.pixelHeight - 2) << points;
  }
  EXPECT_TRUE(CreateSkinFont(DescribeSkinFont("Sans", -3, "", 96)).IsOk())
      << "a height below 1 still makes a font";
}

TEST(PictureConversionUi, PixelsArriveUnchanged) {
  PixelImage picture(2, 2, 0x000000);
  picture.Set(0, 0, 0x0000FF);  // red
  picture.Set(1, 0, 0x00FF00);  // green
  picture.Set(0, 1, 0xFF0000);  // blue
  picture.Set(1, 1, 0x420042);
  const wxImage image = ToWxBitmap(picture).ConvertToImage();
  ASSERT_EQ(image.GetWidth(), 2);
  ASSERT_EQ(image.GetHeight(), 2);
  EXPECT_EQ(image.GetRed(0, 0), 255);
  EXPECT_EQ(image.GetGreen(1, 0), 255);
  EXPECT_EQ(image.GetBlue(0, 1), 255);
  EXPECT_EQ(image.GetRed(1, 1), 66);
  EXPECT_EQ(image.GetGreen(1, 1), 0);
  EXPECT_EQ(image.GetBlue(1, 1), 66);
  EXPECT_FALSE(ToWxBitmap(PixelImage()).IsOk());
}

TEST(EmbeddedIconUi, TrayAndApplicationIconsLoad) {
  EXPECT_TRUE(LoadEmbeddedIcon(builtin_art::kTrayIdleIcon).IsOk());
  for (std::string_view name : builtin_art::kTrayTurnIcons) {
    const wxBitmap bitmap = LoadEmbeddedBitmap(name);
    ASSERT_TRUE(bitmap.IsOk()) << name;
    EXPECT_EQ(bitmap.GetWidth(), 16);
    EXPECT_TRUE(bitmap.ConvertToImage().HasAlpha());
  }
  EXPECT_EQ(LoadEmbeddedBitmap(builtin_art::kAppIcon32).GetWidth(), 32);
  EXPECT_FALSE(LoadEmbeddedIcon("no_such_icon.png").IsOk());
}

TEST(ScreenScaleUi, IsAWholeFactor) { EXPECT_GE(ScreenScale(), 1); }

// Pixel art enlarged for a scaled screen: each pixel a block, no blending.
TEST(ScaledPictureUi, EnlargesEveryPixelToABlockOfItsOwnColour) {
  PixelImage picture(3, 1);
  picture.Set(0, 0, MakeColorRef(255, 0, 0));
  picture.Set(1, 0, MakeColorRef(0, 0, 255));
  picture.Set(2, 0, MakeColorRef(255, 255, 255));
  for (const int scale : {1, 2, 3}) {
    const wxBitmap bitmap = ToWxBitmap(picture, scale);
    EXPECT_EQ(bitmap.GetLogicalWidth(), 3) << scale;
    EXPECT_EQ(bitmap.GetScaleFactor(), scale);
    const wxImage image = bitmap.ConvertToImage();
    ASSERT_EQ(image.GetWidth(), 3 * scale);
    ASSERT_EQ(image.GetHeight(), scale);
    for (int x = 0; x < 3 * scale; ++x)
      for (int y = 0; y < scale; ++y) {
        const ColorRef expected = picture.At(x / scale, 0);
        EXPECT_EQ(MakeColorRef(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)),
                  expected)
            << scale << " at " << x << "," << y;
      }
  }
}

}  // namespace
