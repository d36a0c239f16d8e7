#pragma once
// Names of the built-in pictures and icons in res/ (compiled into the program,
// found with FindEmbeddedResource). tools/skin_artwork draws them all.

#include <array>
#include <string_view>

#include "config/TextFields.h"

namespace builtin_art {

// The colour around the shapes of the built-in button pictures.
inline constexpr ColorRef kButtonKeyColor = MakeColorRef(66, 0, 66);

// Where the built-in elements sit on the built-in background, in pixels. The
// progress box is one half of the bar picture, the indicator box one frame,
// a button box one state; the face is drawn around these boxes.
struct ElementBox {
  int x, y, w, h;
};
struct SkinLayout {
  ElementBox currentFile, progress, indicator, status, list;
  ElementBox sysButton, minimize, close, open, skip;
};
inline constexpr SkinLayout kLayout{
    .currentFile = {22, 28, 200, 10},
    .progress = {22, 44, 200, 10},
    .indicator = {227, 28, 30, 10},
    .status = {227, 44, 30, 10},
    .list = {13, 87, 249, 119},
    .sysButton = {10, 1, 13, 13},
    .minimize = {230, 1, 13, 13},
    .close = {250, 1, 13, 13},
    .open = {15, 61, 17, 13},
    .skip = {230, 61, 30, 13},
};

// Skin pictures, 24-bit BMP. Buttons use RGB(66, 0, 66) around their shapes.
inline constexpr std::string_view kBackground = "skin_background.bmp";           // 275 x 220
inline constexpr std::string_view kProgressBar = "skin_progress.bmp";            // 200 x 20
inline constexpr std::string_view kIndicator = "skin_indicator.bmp";             // 30 x 80
inline constexpr std::string_view kListArrows = "skin_list_arrows.bmp";          // 20 x 20
inline constexpr std::string_view kListThumb = "skin_list_thumb.bmp";            // 10 x 15
inline constexpr std::string_view kListTrack = "skin_list_track.bmp";            // 10 x 20
inline constexpr std::string_view kSysButton = "skin_button_menu.bmp";           // 13 x 26
inline constexpr std::string_view kMinimizeButton = "skin_button_minimize.bmp";  // 13 x 26
inline constexpr std::string_view kCloseButton = "skin_button_close.bmp";        // 13 x 26
inline constexpr std::string_view kOpenButton = "skin_button_open.bmp";          // 17 x 26
inline constexpr std::string_view kSkipButton = "skin_button_skip.bmp";          // 30 x 26

// Icons, PNG with alpha.
inline constexpr std::string_view kAppIcon16 = "icon_app_16.png";  // application icon, 16 x 16
inline constexpr std::string_view kAppIcon32 = "icon_app_32.png";  // application icon, 32 x 32
inline constexpr std::string_view kTrayIdleIcon = "icon_tray_idle.png";  // black note, 16 x 16
// The red note turned clockwise by 45 degrees more at each step, upright
// first: the tray animation frames in the order they are shown.
inline constexpr std::array<std::string_view, 8> kTrayTurnIcons = {
    "icon_tray_turn0.png", "icon_tray_turn1.png", "icon_tray_turn2.png", "icon_tray_turn3.png",
    "icon_tray_turn4.png", "icon_tray_turn5.png", "icon_tray_turn6.png", "icon_tray_turn7.png"};

}  // namespace builtin_art
