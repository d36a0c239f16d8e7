#include "skin/ui/DownloadListWnd.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include <string>
#include <vector>

#include "core/DownloadQueue.h"
#include "skin/Skin.h"
#include "skin/ui/PictureConversion.h"
#include "skin/ui/SkinBitmaps.h"

namespace {

std::optional<ListKey> ListKeyOf(int keyCode) {
  switch (keyCode) {
    case WXK_PAGEUP:
    case WXK_NUMPAD_PAGEUP:
      return ListKey::PageUp;
    case WXK_PAGEDOWN:
    case WXK_NUMPAD_PAGEDOWN:
      return ListKey::PageDown;
    case WXK_END:
    case WXK_NUMPAD_END:
      return ListKey::End;
    case WXK_HOME:
    case WXK_NUMPAD_HOME:
      return ListKey::Home;
    case WXK_UP:
    case WXK_NUMPAD_UP:
      return ListKey::Up;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
      return ListKey::Down;
    default:
      return std::nullopt;
  }
}

const wxBitmap& PictureOf(ScrollBarPicture picture, int scale) {
  const SkinDownloadList& list = GetSkin().downloadList;
  switch (picture) {
    case ScrollBarPicture::Rail:
      return SkinBitmap(list.railBitmap, scale);
    case ScrollBarPicture::Line:
      return SkinBitmap(list.lineBitmap, scale);
    case ScrollBarPicture::Slider:
      break;
  }
  return SkinBitmap(list.sliderBitmap, scale);
}

}  // namespace

bool CDownloadListWnd::Create(CDownloadQueue& queue, const wxRect& rect, wxWindow* parent, int id) {
  const SkinDownloadList& list = GetSkin().downloadList;
  m_pQueue = &queue;
  m_state.emplace(ScrollBarMetricsOf(list), list.font.pixelHeight + 2);
  SetBackgroundStyle(wxBG_STYLE_PAINT);  // every pixel is painted; nothing is erased first
  if (!wxWindow::Create(parent, id, rect.GetPosition(), rect.GetSize(),
                        wxBORDER_NONE | wxWANTS_CHARS))
    return false;
  SetBackgroundColour(*wxBLACK);
  SetCursor(wxCursor(wxCURSOR_ARROW));
  m_state->Resize(GetClientSize().x, GetClientSize().y);

  Bind(wxEVT_PAINT, &CDownloadListWnd::OnPaint, this);
  Bind(wxEVT_SIZE, &CDownloadListWnd::OnSize, this);
  Bind(wxEVT_KEY_DOWN, &CDownloadListWnd::OnKeyDown, this);
  // The view has no double-click: the second click is another button-down.
  Bind(wxEVT_LEFT_DOWN, &CDownloadListWnd::OnLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &CDownloadListWnd::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &CDownloadListWnd::OnLeftUp, this);
  Bind(wxEVT_MOTION, &CDownloadListWnd::OnMotion, this);
  Bind(wxEVT_MOUSEWHEEL, &CDownloadListWnd::OnWheel, this);
  Bind(wxEVT_RIGHT_DOWN, &CDownloadListWnd::OnRightDown, this);
  Bind(wxEVT_RIGHT_DCLICK, &CDownloadListWnd::OnRightDown, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CDownloadListWnd::OnCaptureLost, this);
  return true;
}

int CDownloadListWnd::Count() const { return static_cast<int>(m_pQueue->GetCount()); }

void CDownloadListWnd::ScrollTo(int index) {
  m_state->ScrollTo(index, Count());
  Refresh(false);
}

void CDownloadListWnd::SelectAtPoint(int y) {
  SetFocus();
  m_state->SelectAtPoint(y, Count());
  Refresh(false);
}

void CDownloadListWnd::SetSelection(int index) {
  m_state->SetSelection(index);
  Refresh(false);
}

void CDownloadListWnd::OnItemAppended() {
  CallAfter([this] {
    if (!m_state) return;  // not created yet: the first paint shows the queue as it is
    m_state->OnItemAppended();
    Refresh(false);
  });
}

void CDownloadListWnd::OnHeadItemRemoved() {
  CallAfter([this] {
    if (!m_state) return;
    m_state->OnHeadItemRemoved(Count());
    Refresh(false);
  });
}

void CDownloadListWnd::DrawTo(wxDC& dc) {
  const DownloadListState& state = *m_state;
  const SkinDownloadList& list = GetSkin().downloadList;
  const int rows = state.PaintedRows();
  const int top = state.TopIndex();

  // Copy the shown rows' names under the queue's lock and draw outside it,
  // so the worker never waits for the screen.
  int count = 0;
  std::vector<std::string> names;
  m_pQueue->Read([&](const CDownloadQueue::Items& items) {
    count = static_cast<int>(items.size());
    for (int i = 0; i < rows && top + i < count; ++i)
      names.push_back(items[top + i]->GetDisplayName());
  });

  dc.SetFont(SkinWxFont(list.font));
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  const wxBrush background(ToWxColour(list.bgColor));
  const wxBrush selectedBackground(ToWxColour(list.selBgColor));
  // A view narrower than its scroll bar has no text area to paint.
  for (int i = 0; i < rows && state.TextRect().w > 0; ++i) {
    const PixelRect row = state.RowRect(i);
    const bool selected = top + i == state.SelectedIndex();
    dc.SetBrush(background);
    dc.DrawRectangle(row.x, row.y, row.w, row.h);
    const int textLeft = row.x + kRowTextIndent;
    const int textWidth = row.Right() - textLeft;
    if (textWidth <= 0) continue;
    if (selected) {
      dc.SetBrush(selectedBackground);
      dc.DrawRectangle(textLeft, row.y, textWidth, row.h);
    }
    if (i >= static_cast<int>(names.size())) continue;
    wxDCClipper clip(dc, textLeft, row.y, textWidth, row.h);
    dc.SetTextForeground(ToWxColour(selected ? list.selColor : list.color));
    dc.DrawText(wxString::FromUTF8(names[i]), textLeft, row.y);
  }
  DrawScrollBar(dc, count);
}

void CDownloadListWnd::DrawScrollBar(wxDC& dc, int count) {
  const DownloadListState& state = *m_state;
  const PixelRect bar = state.ScrollBarRect();
  if (bar.w <= 0 || bar.h <= 0) return;
  // The image has the screen's pixels, so copying it to the window scales nothing.
  const int scale = DeviceScaleOf(dc);
  if (!m_scrollBarImage.IsOk() || m_scrollBarImage.GetLogicalWidth() != bar.w ||
      m_scrollBarImage.GetLogicalHeight() != bar.h || m_scrollBarImage.GetScaleFactor() != scale)
    m_scrollBarImage.CreateWithDIPSize(bar.w, bar.h, scale);

  // Composed off-screen, then copied in one transfer, so it never flickers.
  wxMemoryDC image(m_scrollBarImage);
  const auto copies = ComposeScrollBar(bar, state.Metrics(), state.Layout(count), state.Pressed());
  wxMemoryDC source;
  const wxBitmap* selected = nullptr;
  for (const PictureCopy& copy : copies) {
    const wxBitmap& picture = PictureOf(copy.picture, scale);
    if (!picture.IsOk()) continue;
    if (&picture != selected) {
      source.SelectObjectAsSource(picture);
      selected = &picture;
    }
    image.Blit(copy.destX, copy.destY, copy.w, copy.h, &source, copy.srcX, copy.srcY);
  }
  source.SelectObject(wxNullBitmap);
  dc.Blit(bar.x, bar.y, bar.w, bar.h, &image, 0, 0);
}

void CDownloadListWnd::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  DrawTo(dc);
}

void CDownloadListWnd::OnSize(wxSizeEvent& event) {
  m_state->Resize(GetClientSize().x, GetClientSize().y);
  Refresh(false);
  event.Skip();
}

void CDownloadListWnd::OnKeyDown(wxKeyEvent& event) {
  const std::optional<ListKey> key = ListKeyOf(event.GetKeyCode());
  if (!key) {
    event.Skip();
    return;
  }
  m_state->OnKey(*key, Count());
  Refresh(false);
}

void CDownloadListWnd::OnLeftDown(wxMouseEvent& event) {
  const ListMouseMode mode = m_state->OnLeftDown(event.GetX(), event.GetY(), Count());
  if (mode == ListMouseMode::Idle) return;
  if (mode == ListMouseMode::RowDrag) SetFocus();
  if (!HasCapture()) CaptureMouse();
  Refresh(false);
  Update();  // a pressed arrow shows at once
}

void CDownloadListWnd::OnLeftUp(wxMouseEvent&) {
  const ListMouseMode ended = m_state->OnLeftUp();
  if (ended == ListMouseMode::Idle) return;
  if (HasCapture()) ReleaseMouse();
  if (ended == ListMouseMode::UpPressed || ended == ListMouseMode::DownPressed) {
    Refresh(false);
    Update();
  }
}

void CDownloadListWnd::OnMotion(wxMouseEvent& event) {
  if (m_state->OnMouseMove(event.GetY(), Count())) Refresh(false);
}

void CDownloadListWnd::OnWheel(wxMouseEvent& event) {
  if (event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL) return;
  if (m_state->OnWheel(event.GetWheelRotation(), Count())) Refresh(false);
}

void CDownloadListWnd::OnRightDown(wxMouseEvent& event) {
  if (!m_state->OnRightDown(event.GetX(), event.GetY(), Count())) return;
  SetFocus();
  Refresh(false);
}

void CDownloadListWnd::OnCaptureLost(wxMouseCaptureLostEvent&) {
  m_state->OnCaptureLost();
  Refresh(false);
}
