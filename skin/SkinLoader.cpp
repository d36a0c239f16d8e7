#include "skin/SkinLoader.h"

#include <filesystem>
#include <span>
#include <utility>

#include "config/Settings.h"
#include "platform/EmbeddedResource.h"
#include "platform/InstallFolders.h"
#include "platform/ProfileFile.h"
#include "skin/BitmapFile.h"
#include "skin/BuiltinArtwork.h"
#include "skin/CompositeOverBackground.h"
#include "skin/SkinFilePath.h"

namespace {

bool LoadBuiltinPicture(PixelImage& picture, std::string_view name) {
  std::span<const std::uint8_t> bytes = FindEmbeddedResource(name);
  if (DecodeBitmap(picture, bytes)) return true;
  picture.Clear();
  return false;
}

// Reads one skin folder's Skin.ini with the rules of the skin file format.
class SkinFileReader {
 public:
  SkinFileReader(std::string folder, int dpi) : m_strFolder(std::move(folder)), m_nDpi(dpi) {
    m_strIniPath = FindSkinFile(m_strFolder, "Skin.ini");
  }

  // An int key replaces `field` only with a value above 0.
  void Int(std::string_view section, std::string_view key, int& field) const {
    const int value = ParseDecimalInt(ReadProfileString(m_strIniPath, section, key, "-1"));
    if (value > 0) field = value;
  }

  // A text key replaces `field` unless it is absent or begins with "*".
  bool Text(std::string_view section, std::string_view key, std::string& field) const {
    std::string value = ReadProfileString(m_strIniPath, section, key, "*");
    if (!value.empty() && value.front() == '*') return false;
    field = std::move(value);
    return true;
  }

  void Color(std::string_view section, std::string_view key, ColorRef& field) const {
    std::string text;
    if (Text(section, key, text)) field = HexToColor(text);
  }

  void Position(std::string_view section, int& x, int& y) const {
    Int(section, "X", x);
    Int(section, "Y", y);
  }

  void TextBox(std::string_view section, SkinTextBox& box) const {
    Position(section, box.x, box.y);
    Int(section, "W", box.w);
    Int(section, "H", box.h);
    Color(section, "Color", box.color);
    Color(section, "BgColor", box.bgColor);
    Font(section, box.font);
  }

  // The font keys, then the font made again whether or not any key was given.
  void Font(std::string_view section, SkinFont& font) const {
    Text(section, "FontName", font.face);
    Text(section, "FontType", font.styleLetters);
    Int(section, "FontPoint", font.points);
    font = DescribeSkinFont(font.face, font.points, font.styleLetters, m_nDpi);
  }

  // A used picture key loads the named file, or the built-in picture when the
  // file does not load. Returns whether the key was used.
  bool Picture(std::string_view section, std::string_view key, PixelImage& picture,
               std::string_view builtinName) const {
    std::string file;
    if (!Text(section, key, file)) return false;
    if (!LoadBitmapFile(picture, FindSkinFile(m_strFolder, file)))
      LoadBuiltinPicture(picture, builtinName);
    return true;
  }

  void Placed(std::string_view section, SkinPicture& element, std::string_view builtinName) const {
    Position(section, element.x, element.y);
    Picture(section, "Bitmap", element.bitmap, builtinName);
  }

  // Buttons are composited again only when their picture was reloaded, over
  // the background of this moment at the button's position of this moment.
  void Button(std::string_view section, SkinPicture& button, const PixelImage& background,
              std::string_view builtinName) const {
    Position(section, button.x, button.y);
    if (Picture(section, "Bitmap", button.bitmap, builtinName))
      CompositeOverBackground(button.bitmap, background, button.x, button.y, 0, 0);
  }

 private:
  std::string m_strFolder;
  std::string m_strIniPath;
  int m_nDpi;
};

}  // namespace

std::string SkinFolderPath(std::string_view name) {
  std::string path;
  for (const std::string& folder : DataFolders()) {  // the program folder last
    path = FindSkinFile(folder + "/Skins", name);
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) break;
  }
  return path;
}

bool SetDefaultSkin(Skin& skin, int dpi) {
  const ColorRef yellow = MakeColorRef(255, 255, 0);
  const ColorRef black = MakeColorRef(0, 0, 0);
  const std::string face = "MS UI Gothic";
  const SkinFont font = DescribeSkinFont(face, 8, "", dpi);
  const builtin_art::SkinLayout& at = builtin_art::kLayout;
  auto textBox = [&](const builtin_art::ElementBox& box) {
    return SkinTextBox{box.x, box.y, box.w, box.h, yellow, black, font};
  };
  auto place = [](SkinPicture& element, const builtin_art::ElementBox& box) {
    element.x = box.x;
    element.y = box.y;
  };

  skin = Skin{};
  skin.main.panelHeight = 86;
  skin.main.panelEdge = 10;
  place(skin.progress, at.progress);
  skin.currentFile = textBox(at.currentFile);
  place(skin.indicator, at.indicator);
  skin.status = textBox(at.status);
  SkinDownloadList& list = skin.downloadList;
  static_cast<SkinTextBox&>(list) = textBox(at.list);
  list.selColor = yellow;
  list.selBgColor = MakeColorRef(32, 32, 32);
  place(skin.sysButton, at.sysButton);
  place(skin.minimize, at.minimize);
  place(skin.close, at.close);
  place(skin.open, at.open);
  place(skin.skip, at.skip);

  bool complete = LoadBuiltinPicture(skin.main.bitmap, builtin_art::kBackground);
  complete &= LoadBuiltinPicture(skin.progress.bitmap, builtin_art::kProgressBar);
  complete &= LoadBuiltinPicture(skin.indicator.bitmap, builtin_art::kIndicator);
  complete &= LoadBuiltinPicture(list.lineBitmap, builtin_art::kListArrows);
  complete &= LoadBuiltinPicture(list.sliderBitmap, builtin_art::kListThumb);
  complete &= LoadBuiltinPicture(list.railBitmap, builtin_art::kListTrack);
  const std::pair<SkinPicture*, std::string_view> buttons[] = {
      {&skin.sysButton, builtin_art::kSysButton},
      {&skin.minimize, builtin_art::kMinimizeButton},
      {&skin.close, builtin_art::kCloseButton},
      {&skin.open, builtin_art::kOpenButton},
      {&skin.skip, builtin_art::kSkipButton}};
  for (const auto& [button, name] : buttons) {
    complete &= LoadBuiltinPicture(button->bitmap, name);
    CompositeOverBackground(button->bitmap, skin.main.bitmap, button->x, button->y, 0, 0);
  }
  return complete;
}

bool LoadSkin(Skin& skin, std::string_view name, int dpi) {
  const SkinFileReader reader(SkinFolderPath(name), dpi);

  reader.Int("Main", "PanelHeight", skin.main.panelHeight);
  reader.Int("Main", "PanelEdge", skin.main.panelEdge);
  reader.Picture("Main", "Bitmap", skin.main.bitmap, builtin_art::kBackground);

  reader.Placed("Progress", skin.progress, builtin_art::kProgressBar);
  reader.TextBox("CurrentFile", skin.currentFile);
  reader.Placed("Indicator", skin.indicator, builtin_art::kIndicator);
  reader.TextBox("Status", skin.status);

  SkinDownloadList& list = skin.downloadList;
  reader.TextBox("DownloadList", list);
  reader.Color("DownloadList", "SelColor", list.selColor);
  reader.Color("DownloadList", "SelBgColor", list.selBgColor);
  reader.Picture("DownloadList", "LineBitmap", list.lineBitmap, builtin_art::kListArrows);
  reader.Picture("DownloadList", "SliderBitmap", list.sliderBitmap, builtin_art::kListThumb);
  reader.Picture("DownloadList", "RailBitmap", list.railBitmap, builtin_art::kListTrack);

  const PixelImage& background = skin.main.bitmap;
  reader.Button("SysButton", skin.sysButton, background, builtin_art::kSysButton);
  reader.Button("Minimize", skin.minimize, background, builtin_art::kMinimizeButton);
  reader.Button("Close", skin.close, background, builtin_art::kCloseButton);
  reader.Button("Open", skin.open, background, builtin_art::kOpenButton);
  reader.Button("Skip", skin.skip, background, builtin_art::kSkipButton);
  return true;
}

void FreeSkin(Skin& skin) { skin = Skin{}; }

void LoadConfiguredSkin(Skin& skin, int dpi) {
  SetDefaultSkin(skin, dpi);
  const std::string name = ReadSetting("DISP", "SKIN", -1);
  if (!name.empty() && name.front() == '*') return;
  LoadSkin(skin, name, dpi);
}
