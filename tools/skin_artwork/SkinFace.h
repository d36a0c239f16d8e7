#pragma once
// The skin pictures: the window face with its panel wells, the progress bar,
// the activity indicator, the list's scroll bar parts and the five buttons.
// One theme gives the built-in skin, another the example skin.

#include <string_view>

#include "skin/BuiltinArtwork.h"
#include "tools/skin_artwork/Canvas.h"

struct Theme {
  Rgba faceTop, faceBottom;  // the face's vertical gradient
  Rgba rim;                  // outermost line and button outlines
  Rgba highlight, shadow;    // raised edges: light top-left, dark bottom-right
  Rgba accent, accentHot;    // lit parts: progress, indicator, pressed symbols
  Rgba unlit;                // dark segments of the bar and indicator
  Rgba label;                // etched lettering
  Rgba capTop, capBottom;    // button caps, released
  Rgba symbol;               // symbols on released buttons
};

// Where the elements sit on the face; the panels' wells are drawn around them.
using FaceLayout = builtin_art::SkinLayout;

const Theme& BuiltinTheme();
const Theme& ExampleTheme();

Canvas DrawFace(const Theme& theme, const FaceLayout& layout,
                std::string_view wordmark);  // 275 x 220
Canvas DrawProgressBar(const Theme& theme);  // 200 x 20
Canvas DrawIndicator(const Theme& theme);    // 30 x 80
Canvas DrawListArrows(const Theme& theme);   // 20 x 20
Canvas DrawListThumb(const Theme& theme);    // 10 x 15
Canvas DrawListTrack(const Theme& theme);    // 10 x 20

enum class ButtonSymbol { Menu, Minimize, Close, Open, Skip };

// A two-state button (released over pressed) drawn over `face` at `box`, with
// every pixel the cap does not touch set to the button key colour.
Canvas DrawButton(const Theme& theme, const Canvas& face, const builtin_art::ElementBox& box,
                  ButtonSymbol symbol);
