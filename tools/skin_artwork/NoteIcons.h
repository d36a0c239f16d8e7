#pragma once
// The icons: the tray's idle note, its eight turning frames, and the
// application icon, raster and scalable.

#include <string>

#include "tools/skin_artwork/Canvas.h"

// The note's parts in a 16-unit square, upright: two heads and three strokes
// with round ends. The raster icons and the scalable icon are drawn from
// these numbers, so they match.
struct NoteHead {
  float cx, cy, rx, ry, degrees;  // an ellipse turned by `degrees`
};
struct NoteStroke {
  float x0, y0, x1, y1, width;
};
inline constexpr NoteHead kNoteHeads[] = {{4.6f, 12.4f, 2.7f, 1.9f, -22.0f},
                                          {11.6f, 11.0f, 2.7f, 1.9f, -22.0f}};
inline constexpr NoteStroke kNoteStrokes[] = {{6.8f, 11.8f, 6.8f, 3.6f, 1.3f},
                                              {13.8f, 10.4f, 13.8f, 2.2f, 1.3f},
                                              {6.8f, 3.6f, 13.8f, 2.2f, 2.4f}};

// The application icon's layers in a 32-unit square, back to front: the rim,
// the face (the skin's gradient), the meter's well and its lit part, then the
// note, scaled by kAppNoteScale and moved by (kAppNoteX, kAppNoteY).
struct IconRect {
  float x0, y0, x1, y1, radius;
};
inline constexpr float kAppIconUnits = 32.0f;
inline constexpr IconRect kAppRim{0.5f, 0.5f, 31.5f, 31.5f, 6.0f};
inline constexpr IconRect kAppFace{1.5f, 1.5f, 30.5f, 30.5f, 5.0f};
inline constexpr IconRect kAppMeterWell{6.0f, 25.0f, 26.0f, 28.0f, 1.0f};
inline constexpr IconRect kAppMeterLit{6.5f, 25.5f, 19.0f, 27.5f, 0.8f};
inline constexpr float kAppNoteScale = 1.25f, kAppNoteX = 6.0f, kAppNoteY = 1.5f;

// A beamed pair of eighth notes, 16 x 16, in `color`, turned clockwise by
// `degrees` about the centre, with a faint light rim so it shows on dark
// panels too.
Canvas DrawNoteIcon(Rgba color, float degrees);

// The application icon at `size` pixels square: the note on a dark tile.
Canvas DrawAppIcon(int size);

// The same icon as an SVG document, for the desktop's scalable icon.
std::string DrawAppIconSvg();
