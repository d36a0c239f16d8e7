#pragma once
// Where the four panels of the main window sit and which parts of their
// pictures they show. Boxes are in the main window's client coordinates, so
// the window can repaint just one panel.

#include "skin/PixelRect.h"
#include "skin/Skin.h"

using PanelRect = PixelRect;

// The CurrentFile and Status text boxes as the skin gives them.
PanelRect CurrentFilePanelRect(const Skin& skin);
PanelRect StatusPanelRect(const Skin& skin);
// The progress bar: the Progress picture's width by half its height at (x, y).
PanelRect ProgressPanelRect(const Skin& skin);
// The indicator: the Indicator picture's width by one eighth of its height.
PanelRect IndicatorPanelRect(const Skin& skin);

// Frames in the indicator picture, stacked top to bottom.
inline constexpr int kIndicatorFrames = 8;

// Width of the filled part of a bar `barWidth` pixels wide at `percent`: the
// bar moves in steps of barWidth / 100 whole pixels, so a bar whose width is
// not a multiple of 100 never fills completely (150 pixels fill 100 at 100 %).
// A percentage outside 0 to 100 counts as the nearer end.
int ProgressFilledWidth(int percent, int barWidth);

// Top row, in the indicator picture, of frame `frame` for a picture
// `pictureHeight` high. A frame outside 0 to 7 counts as the nearer end, so
// the block never lies outside the picture.
int IndicatorFrameTop(int frame, int pictureHeight);

// Left edge of a text `textWidth` wide centred in a box at `boxX`, `boxWidth`
// wide. A text wider than the box starts left of it and is cut on both sides.
int CentredTextLeft(int boxX, int boxWidth, int textWidth);
