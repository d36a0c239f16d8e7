// Draws every built-in picture and icon, the desktop's application icons and
// the pictures of the example skin, and writes them into the given res/ folder:
//   skin_artwork RES_FOLDER
// The example skin's face is drawn around the places RES_FOLDER/Skins/Aurora/
// Skin.ini gives, so that file must be there first. The output is committed;
// run this again after changing the drawing or the example's places.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <tuple>

#include "config/TextFields.h"
#include "platform/ProfileFile.h"
#include "skin/BuiltinArtwork.h"
#include "tools/skin_artwork/ImageFiles.h"
#include "tools/skin_artwork/NoteIcons.h"
#include "tools/skin_artwork/SkinFace.h"

namespace {

// The built-in layout with the places of the skin file at `iniPath`, read as
// the skin loader reads them: a number counts only when above 0, and only the
// text boxes take a size (the others are as large as their pictures).
FaceLayout ReadSkinLayout(const std::string& iniPath) {
  FaceLayout layout = builtin_art::kLayout;
  auto read = [&](std::string_view section, std::string_view key, int& field) {
    const int value = ParseDecimalInt(ReadProfileString(iniPath, section, key, "-1"));
    if (value > 0) field = value;
  };
  enum class Sized { No, Yes };
  const std::tuple<std::string_view, builtin_art::ElementBox*, Sized> elements[] = {
      {"CurrentFile", &layout.currentFile, Sized::Yes},
      {"Progress", &layout.progress, Sized::No},
      {"Indicator", &layout.indicator, Sized::No},
      {"Status", &layout.status, Sized::Yes},
      {"DownloadList", &layout.list, Sized::Yes},
      {"SysButton", &layout.sysButton, Sized::No},
      {"Minimize", &layout.minimize, Sized::No},
      {"Close", &layout.close, Sized::No},
      {"Open", &layout.open, Sized::No},
      {"Skip", &layout.skip, Sized::No}};
  for (const auto& [section, box, sized] : elements) {
    read(section, "X", box->x);
    read(section, "Y", box->y);
    if (sized == Sized::No) continue;
    read(section, "W", box->w);
    read(section, "H", box->h);
  }
  return layout;
}

bool Write(const std::string& folder, std::string_view name,
           const std::vector<std::uint8_t>& bytes) {
  const std::string path = folder + "/" + std::string(name);
  if (!bytes.empty() && WriteFileBytes(path, bytes)) return true;
  std::fprintf(stderr, "skin_artwork: cannot write %s\n", path.c_str());
  return false;
}

bool WriteBuiltinSkin(const std::string& res) {
  const Theme& theme = BuiltinTheme();
  const FaceLayout& layout = builtin_art::kLayout;
  const Canvas face = DrawFace(theme, layout, "TUNEFETCH");
  auto bmp = [](const Canvas& canvas) { return EncodeBmp(canvas, BmpForm::Rgb24BottomUp); };
  namespace art = builtin_art;
  return Write(res, art::kBackground, bmp(face)) &&
         Write(res, art::kProgressBar, bmp(DrawProgressBar(theme))) &&
         Write(res, art::kIndicator, bmp(DrawIndicator(theme))) &&
         Write(res, art::kListArrows, bmp(DrawListArrows(theme))) &&
         Write(res, art::kListThumb, bmp(DrawListThumb(theme))) &&
         Write(res, art::kListTrack, bmp(DrawListTrack(theme))) &&
         Write(res, art::kSysButton,
               bmp(DrawButton(theme, face, layout.sysButton, ButtonSymbol::Menu))) &&
         Write(res, art::kMinimizeButton,
               bmp(DrawButton(theme, face, layout.minimize, ButtonSymbol::Minimize))) &&
         Write(res, art::kCloseButton,
               bmp(DrawButton(theme, face, layout.close, ButtonSymbol::Close))) &&
         Write(res, art::kOpenButton,
               bmp(DrawButton(theme, face, layout.open, ButtonSymbol::Open))) &&
         Write(res, art::kSkipButton,
               bmp(DrawButton(theme, face, layout.skip, ButtonSymbol::Skip)));
}

bool WriteIcons(const std::string& res) {
  bool ok = Write(res, builtin_art::kTrayIdleIcon, EncodePng(DrawNoteIcon(Hex(0x000000), 0.0f))) &&
            Write(res, builtin_art::kAppIcon16, EncodePng(DrawAppIcon(16))) &&
            Write(res, builtin_art::kAppIcon32, EncodePng(DrawAppIcon(32)));
  for (std::size_t step = 0; step < builtin_art::kTrayTurnIcons.size(); ++step)
    ok = ok && Write(res, builtin_art::kTrayTurnIcons[step],
                     EncodePng(DrawNoteIcon(Hex(0xd81e1e), 45.0f * static_cast<float>(step))));
  return ok;
}

// The application icon in the desktop's icon theme layout (res/icons/hicolor/),
// in the sizes desktops ask for (an app grid wants 64 pixels or more) and as
// a scalable picture; an install copies the folder into share/icons/.
bool WriteDesktopIcons(const std::string& res) {
  const std::string theme = res + "/icons/hicolor";
  auto write = [&](const std::string& size, std::string_view name,
                   const std::vector<std::uint8_t>& bytes) {
    const std::string folder = theme + "/" + size + "/apps";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return Write(folder, name, bytes);
  };
  bool ok = true;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    ok = ok && write(std::to_string(size) + "x" + std::to_string(size), "tunefetch.png",
                     EncodePng(DrawAppIcon(size)));
  const std::string svg = DrawAppIconSvg();
  return ok &&
         write("scalable", "tunefetch.svg", std::vector<std::uint8_t>(svg.begin(), svg.end()));
}

// The example skin's pictures, each in another BMP form a paint program may
// write, so loading it exercises the decoder the way users' skins do.
bool WriteExampleSkin(const std::string& res) {
  const std::string folder = res + "/Skins/Aurora";
  const std::string iniPath = folder + "/Skin.ini";
  if (!std::filesystem::is_regular_file(iniPath)) {
    std::fprintf(stderr, "skin_artwork: %s is missing\n", iniPath.c_str());
    return false;
  }
  const Theme& theme = ExampleTheme();
  const FaceLayout layout = ReadSkinLayout(iniPath);
  const Canvas face = DrawFace(theme, layout, "AURORA");
  struct ButtonPicture {
    const char* file;
    const builtin_art::ElementBox& box;
    ButtonSymbol symbol;
    BmpForm form;
  };
  const ButtonPicture buttons[] = {
      {"menu.bmp", layout.sysButton, ButtonSymbol::Menu, BmpForm::Rgb24BottomUp},
      {"minimize.bmp", layout.minimize, ButtonSymbol::Minimize, BmpForm::Rgb24BottomUp},
      {"close.bmp", layout.close, ButtonSymbol::Close, BmpForm::Rgb24BottomUp},
      {"open.bmp", layout.open, ButtonSymbol::Open, BmpForm::Rgb24BottomUp},
      {"skip.bmp", layout.skip, ButtonSymbol::Skip, BmpForm::Rle8},
  };
  bool ok =
      Write(folder, "face.bmp", EncodeBmp(face, BmpForm::Rgb24TopDown)) &&
      Write(folder, "progress.bmp", EncodeBmp(DrawProgressBar(theme), BmpForm::BitFields32)) &&
      Write(folder, "indicator.bmp", EncodeBmp(DrawIndicator(theme), BmpForm::Rle8));
  for (const ButtonPicture& button : buttons) {
    ok = ok && Write(folder, button.file,
                     EncodeBmp(DrawButton(theme, face, button.box, button.symbol), button.form));
  }
  return ok && Write(folder, "arrows.bmp", EncodeBmp(DrawListArrows(theme), BmpForm::BitFields32));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skin_artwork RES_FOLDER\n");
    return 2;
  }
  const std::string res = argv[1];
  return WriteBuiltinSkin(res) && WriteIcons(res) && WriteDesktopIcons(res) && WriteExampleSkin(res)
             ? 0
             : 1;
}
