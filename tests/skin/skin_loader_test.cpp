// The built-in skin and the override rules of a skin folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "platform/EmbeddedResource.h"
#include "skin/BitmapFile.h"
#include "skin/BuiltinArtwork.h"
#include "skin/CompositeOverBackground.h"
#include "skin/SkinLoader.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr int kDpi = 96;
constexpr ColorRef kYellow = 0x00FFFF;

PixelImage Builtin(std::string_view name) {
  PixelImage picture;
  EXPECT_TRUE(DecodeBitmap(picture, FindEmbeddedResource(name)));
  return picture;
}

// A 24-bit BMP of one colour.
std::string SolidBmp(int width, int height, ColorRef color) {
  std::vector<std::uint8_t> out = {'B', 'M'};
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back((v >> (8 * i)) & 0xFF);
  };
  const int stride = (width * 3 + 3) / 4 * 4;
  put32(static_cast<std::uint32_t>(54 + stride * height));
  put32(0);
  put32(54);
  put32(40);
  put32(static_cast<std::uint32_t>(width));
  put32(static_cast<std::uint32_t>(height));
  out.insert(out.end(), {1, 0, 24, 0});
  for (int i = 0; i < 6; ++i) put32(0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      out.insert(out.end(),
                 {std::uint8_t(color >> 16), std::uint8_t(color >> 8), std::uint8_t(color)});
    out.resize(out.size() + static_cast<std::size_t>(stride - width * 3), 0);
  }
  return std::string(out.begin(), out.end());
}

class SkinFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(SkinFolder());
    ASSERT_TRUE(SetDefaultSkin(m_builtin, kDpi));
    m_skin = m_builtin;
  }
  std::string SkinFolder() const { return m_program / "Skins/Test"; }
  void WriteIni(std::string_view text) { WriteFileText(SkinFolder() + "/Skin.ini", text); }
  void Load() { ASSERT_TRUE(LoadSkin(m_skin, "Test", kDpi)); }

  ScratchProgramFolder m_program;
  Skin m_builtin;
  Skin m_skin;
};

TEST(BuiltinSkin, HasItsValuesPicturesAndFonts) {
  Skin skin;
  ASSERT_TRUE(SetDefaultSkin(skin, kDpi));
  EXPECT_EQ(skin.main.panelHeight, 86);
  EXPECT_EQ(skin.main.panelEdge, 10);
  EXPECT_EQ(GetBitmapSize(skin.main.bitmap), (PictureSize{275, 220}));
  EXPECT_EQ(GetBitmapSize(skin.progress.bitmap), (PictureSize{200, 20}));
  EXPECT_EQ(GetBitmapSize(skin.indicator.bitmap), (PictureSize{30, 80}));
  EXPECT_EQ(GetBitmapSize(skin.downloadList.lineBitmap), (PictureSize{20, 20}));
  EXPECT_EQ(GetBitmapSize(skin.downloadList.sliderBitmap), (PictureSize{10, 15}));
  EXPECT_EQ(GetBitmapSize(skin.downloadList.railBitmap), (PictureSize{10, 20}));
  EXPECT_EQ(GetBitmapSize(skin.sysButton.bitmap), (PictureSize{13, 26}));
  EXPECT_EQ(GetBitmapSize(skin.minimize.bitmap), (PictureSize{13, 26}));
  EXPECT_EQ(GetBitmapSize(skin.close.bitmap), (PictureSize{13, 26}));
  EXPECT_EQ(GetBitmapSize(skin.open.bitmap), (PictureSize{17, 26}));
  EXPECT_EQ(GetBitmapSize(skin.skip.bitmap), (PictureSize{30, 26}));
  EXPECT_EQ(skin.skip.x, 230);
  EXPECT_EQ(skin.skip.y, 61);
  EXPECT_EQ(skin.downloadList.selBgColor, 0x202020u);
  EXPECT_EQ(skin.status.color, kYellow);
  for (const SkinFont* font :
       {&skin.currentFile.font, &skin.status.font, &skin.downloadList.font}) {
    EXPECT_EQ(font->face, "MS UI Gothic");
    EXPECT_EQ(font->points, 8);
    EXPECT_EQ(font->pixelHeight, 11) << "8 points at 96 dpi";
  }
}

TEST(BuiltinSkin, ButtonsAreCompositedOverTheBackgroundAtTheirPlaces) {
  Skin skin;
  ASSERT_TRUE(SetDefaultSkin(skin, kDpi));
  const std::pair<const SkinPicture*, std::string_view> buttons[] = {
      {&skin.sysButton, builtin_art::kSysButton},
      {&skin.minimize, builtin_art::kMinimizeButton},
      {&skin.close, builtin_art::kCloseButton},
      {&skin.open, builtin_art::kOpenButton},
      {&skin.skip, builtin_art::kSkipButton}};
  for (const auto& [button, name] : buttons) {
    const PixelImage raw = Builtin(name);
    EXPECT_EQ(raw.At(0, 0), builtin_art::kButtonKeyColor) << name;
    const int half = raw.Height() / 2;
    EXPECT_EQ(button->bitmap.At(0, 0), skin.main.bitmap.At(button->x, button->y)) << name;
    EXPECT_EQ(button->bitmap.At(0, half), skin.main.bitmap.At(button->x, button->y)) << name;
    for (ColorRef pixel : button->bitmap.Pixels())
      ASSERT_NE(pixel, builtin_art::kButtonKeyColor) << name;
  }
}

TEST(PointsToPixels, RoundsLikeAMultiplyDivide) {
  EXPECT_EQ(PointsToPixels(8, 96), 11);  // 10.67
  EXPECT_EQ(PointsToPixels(9, 96), 12);
  EXPECT_EQ(PointsToPixels(3, 96), 4);    // exactly 4
  EXPECT_EQ(PointsToPixels(8, 120), 13);  // 13.33
  EXPECT_EQ(PointsToPixels(-8, 96), -11);
  EXPECT_EQ(PointsToPixels(8, 0), 11) << "no reported dpi counts as 96";
  EXPECT_EQ(PointsToPixels(2147483647, 96), -1) << "too large for an int";
}

TEST(FontStyle, CapitalLettersOnlyInAnyOrder) {
  const SkinFontStyle all{FontWeight::Bold, FontSlant::Italic, FontLine::Underlined};
  EXPECT_EQ(ParseFontStyle("BIU"), all);
  EXPECT_EQ(ParseFontStyle("UIB"), all);
  EXPECT_EQ(ParseFontStyle("xBxUxI"), all);
  EXPECT_EQ(ParseFontStyle("biu"), SkinFontStyle{});
  EXPECT_EQ(ParseFontStyle("b").weight, FontWeight::Regular);
  EXPECT_EQ(ParseFontStyle("I"),
            (SkinFontStyle{FontWeight::Regular, FontSlant::Italic, FontLine::Plain}));
}

TEST_F(SkinFolderTest, MissingFolderChangesNothingButRemakesTheFonts) {
  ASSERT_TRUE(LoadSkin(m_skin, "Nowhere", 120));
  EXPECT_EQ(m_skin.main.bitmap, m_builtin.main.bitmap);
  EXPECT_EQ(m_skin.open.bitmap, m_builtin.open.bitmap);
  EXPECT_EQ(m_skin.currentFile.x, 22);
  EXPECT_EQ(m_skin.currentFile.font.pixelHeight, 13) << "made again at the new dpi";
  EXPECT_EQ(m_skin.status.font.pixelHeight, 13);
  EXPECT_EQ(m_skin.downloadList.font.pixelHeight, 13);
}

TEST_F(SkinFolderTest, OnlyTheMainBitmapChanges) {
  WriteFileText(SkinFolder() + "/bg.bmp", SolidBmp(300, 200, 0x112233));
  WriteIni("[Main]\nBitmap=bg.bmp\n");
  Load();
  EXPECT_EQ(GetBitmapSize(m_skin.main.bitmap), (PictureSize{300, 200}));
  EXPECT_EQ(m_skin.main.bitmap.At(5, 5), 0x112233u);
  // Buttons keep the pictures composited over the built-in background.
  EXPECT_EQ(m_skin.sysButton.bitmap, m_builtin.sysButton.bitmap);
  EXPECT_EQ(m_skin.skip.bitmap, m_builtin.skip.bitmap);
  EXPECT_EQ(m_skin.main.panelHeight, 86);
}

TEST_F(SkinFolderTest, IntegersCountOnlyAboveZero) {
  WriteIni(
      "[CurrentFile]\nX=0\nY=-5\nW=150\nH=abc\n[Main]\nPanelHeight=90\nPanelEdge=0\n"
      "[Progress]\nX=30\n[Indicator]\nY=12\n[DownloadList]\nH=100\n");
  Load();
  EXPECT_EQ(m_skin.currentFile.x, 22);
  EXPECT_EQ(m_skin.currentFile.y, 28);
  EXPECT_EQ(m_skin.currentFile.w, 150);
  EXPECT_EQ(m_skin.currentFile.h, 10);
  EXPECT_EQ(m_skin.main.panelHeight, 90);
  EXPECT_EQ(m_skin.main.panelEdge, 10);
  EXPECT_EQ(m_skin.progress.x, 30);
  EXPECT_EQ(m_skin.indicator.y, 12);
  EXPECT_EQ(m_skin.downloadList.h, 100);
}

TEST_F(SkinFolderTest, ColoursAndTexts) {
  WriteIni(
      "[Status]\nColor=\nBgColor=#FFFF00\n"
      "[CurrentFile]\nColor=FF8000\nBgColor=*00FF00\nFontName=\n"
      "[DownloadList]\nSelColor=12g456\nSelBgColor=abcdef\nFontName=*Arial\n");
  Load();
  EXPECT_EQ(m_skin.status.color, 0u) << "an empty colour is black";
  EXPECT_EQ(m_skin.status.bgColor, 0u) << "a prefix makes black";
  EXPECT_EQ(m_skin.currentFile.color, 0x0080FFu);
  EXPECT_EQ(m_skin.currentFile.bgColor, 0u) << "a value beginning with * is ignored: stays black";
  EXPECT_EQ(m_skin.currentFile.font.face, "") << "an empty text is used";
  EXPECT_EQ(m_skin.downloadList.selColor, 0x120000u)
      << "the digits before the g read as 0x000012: blue";
  EXPECT_EQ(m_skin.downloadList.selBgColor, 0xEFCDABu);
  EXPECT_EQ(m_skin.downloadList.font.face, "MS UI Gothic");
}

TEST_F(SkinFolderTest, FontStyleLettersAndSizes) {
  WriteIni("[DownloadList]\nFontType=BIU\nFontPoint=9\n[Status]\nFontType=biu\nFontName=Sans\n");
  Load();
  EXPECT_EQ(m_skin.downloadList.font.style,
            (SkinFontStyle{FontWeight::Bold, FontSlant::Italic, FontLine::Underlined}));
  EXPECT_EQ(m_skin.downloadList.font.pixelHeight, 12);
  EXPECT_EQ(m_skin.status.font.style, SkinFontStyle{});
  EXPECT_EQ(m_skin.status.font.face, "Sans");
  EXPECT_EQ(m_skin.currentFile.font, m_builtin.currentFile.font);
}

TEST_F(SkinFolderTest, MissingButtonPictureFallsBackAndIsCompositedAtItsPlace) {
  WriteFileText(SkinFolder() + "/bg.bmp", SolidBmp(275, 220, 0x336699));
  WriteIni(
      "[Main]\nBitmap=bg.bmp\n[Open]\nX=40\nY=70\nBitmap=gone.bmp\n[Progress]\nBitmap=gone.bmp\n");
  Load();
  PixelImage expected = Builtin(builtin_art::kOpenButton);
  CompositeOverBackground(expected, m_skin.main.bitmap, 40, 70, 0, 0);
  EXPECT_EQ(m_skin.open.bitmap, expected);
  EXPECT_EQ(m_skin.open.bitmap.At(0, 0), 0x336699u);
  EXPECT_EQ(m_skin.progress.bitmap, Builtin(builtin_art::kProgressBar));
}

TEST_F(SkinFolderTest, ButtonPictureFromTheFolderUsesItsTopLeftColourAsKey) {
  WriteFileText(SkinFolder() + "/bg.bmp", SolidBmp(275, 220, 0x336699));
  // A 4 x 6 picture all of one colour: every pixel is the key.
  WriteFileText(SkinFolder() + "/close.bmp", SolidBmp(4, 6, 0x00FF00));
  WriteIni("[Main]\nBitmap=bg.bmp\n[Close]\nBitmap=close.bmp\n");
  Load();
  EXPECT_EQ(m_skin.close.bitmap, PixelImage(4, 6, 0x336699));
}

TEST_F(SkinFolderTest, FileNamesFromWindowsSkinsAreFound) {
  std::filesystem::create_directories(SkinFolder() + "/Img");
  WriteFileText(SkinFolder() + "/Img/face.bmp", SolidBmp(275, 220, 0x445566));
  WriteFileText(SkinFolder() + "/SKIN.INI", "[Main]\nBitmap=img\\FACE.BMP\nPanelHeight=70\n");
  Load();
  EXPECT_EQ(m_skin.main.panelHeight, 70);
  EXPECT_EQ(m_skin.main.bitmap.At(0, 0), 0x445566u);
}

TEST_F(SkinFolderTest, SkinNameIgnoresCaseLikeTheFilesInside) {
  // Regression: the folder name was matched exactly, so SKIN=test missed Skins/Test.
  WriteIni("[Main]\nPanelHeight=70\n");
  EXPECT_EQ(SkinFolderPath("tEST"), SkinFolder());
  ASSERT_TRUE(LoadSkin(m_skin, "test", kDpi));
  EXPECT_EQ(m_skin.main.panelHeight, 70);
}

TEST(ConfiguredSkin, AbsentSettingWritesStarAndKeepsTheBuiltinSkin) {
  ScratchProgramFolder program;
  Skin skin;
  LoadConfiguredSkin(skin, kDpi);
  EXPECT_NE(ReadFileText(program.SettingsFile()).find("SKIN=*"), std::string::npos);
  Skin builtin;
  SetDefaultSkin(builtin, kDpi);
  EXPECT_EQ(skin.main.bitmap, builtin.main.bitmap);
}

TEST(ConfiguredSkin, ValueBeginningWithStarKeepsTheBuiltinSkin) {
  ScratchProgramFolder program;
  std::filesystem::create_directories(program / "Skins/*Odd");
  WriteFileText(program / "Skins/*Odd/Skin.ini", "[Main]\nPanelHeight=50\n");
  WriteSetting("DISP", "SKIN", "*Odd");
  Skin skin;
  LoadConfiguredSkin(skin, kDpi);
  EXPECT_EQ(skin.main.panelHeight, 86);
}

TEST(ConfiguredSkin, ExampleSkinLoadsWithEveryOverride) {
  ScratchProgramFolder program;
  std::filesystem::copy(std::string(TF_SOURCE_DIR) + "/res/Skins", program / "Skins",
                        std::filesystem::copy_options::recursive);
  WriteSetting("DISP", "SKIN", "Aurora");
  Skin skin;
  LoadConfiguredSkin(skin, kDpi);
  Skin builtin;
  SetDefaultSkin(builtin, kDpi);

  EXPECT_NE(skin.main.bitmap, builtin.main.bitmap);
  EXPECT_EQ(GetBitmapSize(skin.main.bitmap), (PictureSize{275, 220}));
  EXPECT_NE(skin.progress.bitmap, builtin.progress.bitmap);
  EXPECT_EQ(GetBitmapSize(skin.progress.bitmap), (PictureSize{200, 20}));
  EXPECT_EQ(GetBitmapSize(skin.indicator.bitmap), (PictureSize{30, 80}));
  EXPECT_NE(skin.indicator.bitmap, builtin.indicator.bitmap);
  EXPECT_EQ(skin.indicator.y, 44);
  EXPECT_EQ(skin.status.y, 28);
  EXPECT_EQ(skin.currentFile.color, 0xF2FF9Fu);
  EXPECT_EQ(skin.currentFile.font.style.weight, FontWeight::Bold);
  EXPECT_EQ(skin.downloadList.font.pixelHeight, 12);
  EXPECT_EQ(skin.downloadList.sliderBitmap, builtin.downloadList.sliderBitmap);
  EXPECT_NE(skin.downloadList.lineBitmap, builtin.downloadList.lineBitmap);
  for (const SkinPicture* button :
       {&skin.sysButton, &skin.minimize, &skin.close, &skin.open, &skin.skip}) {
    EXPECT_NE(button->bitmap.At(0, 0), builtin_art::kButtonKeyColor);
    EXPECT_EQ(button->bitmap.At(0, 0), skin.main.bitmap.At(button->x, button->y));
  }
}

TEST(FreeSkin, LeavesAnEmptyRecord) {
  Skin skin;
  SetDefaultSkin(skin, kDpi);
  FreeSkin(skin);
  EXPECT_TRUE(skin.main.bitmap.IsEmpty());
  EXPECT_TRUE(skin.skip.bitmap.IsEmpty());
  EXPECT_TRUE(skin.downloadList.font.face.empty());
}

}  // namespace
