#include "skin/ui/SkinPanels.h"

#include <wx/dcmemory.h>

#include "skin/PanelGeometry.h"
#include "skin/ui/PictureConversion.h"
#include "skin/ui/SkinBitmaps.h"

namespace {

// Fills `box` with the box's background colour and draws `text` at x
// `left` of its top edge, cut at the box.
void PaintTextBox(wxDC& dc, const SkinTextBox& box, const wxString& text, int left) {
  if (box.w <= 0 || box.h <= 0) return;
  wxDCClipper clip(dc, box.x, box.y, box.w, box.h);
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(ToWxColour(box.bgColor)));
  dc.DrawRectangle(box.x, box.y, box.w, box.h);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc.SetTextForeground(ToWxColour(box.color));
  dc.DrawText(text, left, box.y);
}

// Copies the block of `picture` at (srcX, srcY) of size w x h to (x, y).
void CopyBlock(wxDC& dc, const wxBitmap& picture, int srcX, int srcY, int w, int h, int x, int y) {
  if (!picture.IsOk() || w <= 0 || h <= 0) return;
  wxMemoryDC source;
  source.SelectObjectAsSource(picture);
  dc.Blit(x, y, w, h, &source, srcX, srcY);
}

}  // namespace

void PaintCurrentFilePanel(wxDC& dc, const std::string& text) {
  const SkinTextBox& box = GetSkin().currentFile;
  dc.SetFont(SkinWxFont(box.font));
  PaintTextBox(dc, box, wxString::FromUTF8(text), box.x);
}

void PaintStatusPanel(wxDC& dc, const std::string& text) {
  const SkinTextBox& box = GetSkin().status;
  const wxString label = wxString::FromUTF8(text);
  dc.SetFont(SkinWxFont(box.font));
  PaintTextBox(dc, box, label, CentredTextLeft(box.x, box.w, dc.GetTextExtent(label).x));
}

void PaintProgressPanel(wxDC& dc, int percent) {
  const SkinPicture& bar = GetSkin().progress;
  const wxBitmap& picture = SkinBitmap(bar.bitmap, DeviceScaleOf(dc));
  const int w = bar.bitmap.Width();
  const int half = bar.bitmap.Height() / 2;
  const int filled = ProgressFilledWidth(percent, w);
  CopyBlock(dc, picture, 0, 0, filled, half, bar.x, bar.y);
  CopyBlock(dc, picture, filled, half, w - filled, half, bar.x + filled, bar.y);
}

void PaintIndicatorPanel(wxDC& dc, int frame) {
  const SkinPicture& indicator = GetSkin().indicator;
  const int h = indicator.bitmap.Height();
  CopyBlock(dc, SkinBitmap(indicator.bitmap, DeviceScaleOf(dc)), 0, IndicatorFrameTop(frame, h),
            indicator.bitmap.Width(), h / kIndicatorFrames, indicator.x, indicator.y);
}
