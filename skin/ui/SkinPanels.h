#pragma once
// The four panels of the main window, painted straight onto its client area
// from the skin (GetSkin()) and the value given. GUI thread only: the window
// calls them from its paint handler, which serialises them, in the order
// current file, status, progress, indicator. Boxes: skin/PanelGeometry.h.

#include <wx/dc.h>

#include <string>

// The whole box filled with the background colour, the text (UTF-8) from
// the box's top-left corner, cut at the box's edges; no ellipsis.
void PaintCurrentFilePanel(wxDC& dc, const std::string& text);

// The box filled with the background colour and the text on one line at the
// top, centred, cut on both sides when wider than the box.
void PaintStatusPanel(wxDC& dc, const std::string& text);

// The filled strip's columns left of the filled width (ProgressFilledWidth),
// the empty strip's columns right of it.
void PaintProgressPanel(wxDC& dc, int percent);

// Frame `frame` (0 to 7) of the indicator picture.
void PaintIndicatorPanel(wxDC& dc, int frame);
