#include "skin/ui/TransButton.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include "skin/ui/PictureConversion.h"

bool CTransButton::Create(const PixelImage& picture, int x, int y, wxWindow* parent, int id) {
  m_source = picture;
  m_nHalfHeight = picture.Height() / 2;
  const wxSize size(picture.Width(), m_nHalfHeight);
  if (!wxControl::Create(parent, id, wxPoint(x, y), size, wxBORDER_NONE, wxDefaultValidator,
                         "TransButton"))
    return false;
  SetLabel("TransButton");
  SetMinSize(size);
  SetBackgroundStyle(wxBG_STYLE_PAINT);  // the picture covers every pixel
  Bind(wxEVT_PAINT, &CTransButton::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &CTransButton::OnLeftDown, this);
  // A second click in quick succession is another press, not a double-click.
  Bind(wxEVT_LEFT_DCLICK, &CTransButton::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &CTransButton::OnLeftUp, this);
  Bind(wxEVT_MOTION, &CTransButton::OnMotion, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CTransButton::OnCaptureLost, this);
  Bind(wxEVT_KEY_DOWN, &CTransButton::OnKeyDown, this);
  Bind(wxEVT_KEY_UP, &CTransButton::OnKeyUp, this);
  Bind(wxEVT_KILL_FOCUS, &CTransButton::OnKillFocus, this);
  return true;
}

void CTransButton::DrawTo(wxDC& dc) const {
  const int scale = DeviceScaleOf(dc);
  if (m_nPictureScale != scale) {
    m_picture = ToWxBitmap(m_source, scale);
    m_nPictureScale = scale;
  }
  if (!m_picture.IsOk()) return;
  wxMemoryDC source;
  source.SelectObjectAsSource(m_picture);
  dc.Blit(0, 0, m_source.Width(), m_nHalfHeight, &source, 0,
          ButtonSourceTop(m_state.Look(), m_source.Height()));
}

void CTransButton::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  DrawTo(dc);
}

bool CTransButton::IsOver(const wxMouseEvent& event) const {
  return wxRect(GetClientSize()).Contains(event.GetPosition());
}

void CTransButton::Release(ButtonHold by, bool inside) {
  const bool click = m_state.OnRelease(by, inside);
  Refresh();
  if (!click) return;
  wxCommandEvent command(wxEVT_BUTTON, GetId());
  command.SetEventObject(this);
  HandleWindowEvent(command);
}

void CTransButton::OnLeftDown(wxMouseEvent&) {
  if (m_state.Hold() != ButtonHold::None) return;
  SetFocus();
  m_state.OnPress(ButtonHold::Mouse);
  if (!HasCapture()) CaptureMouse();
  Refresh();
}

void CTransButton::OnMotion(wxMouseEvent& event) {
  const ButtonLook before = m_state.Look();
  m_state.OnMove(IsOver(event));
  if (m_state.Look() != before) Refresh();
}

void CTransButton::OnLeftUp(wxMouseEvent& event) {
  if (m_state.Hold() != ButtonHold::Mouse) return;
  if (HasCapture()) ReleaseMouse();
  Release(ButtonHold::Mouse, IsOver(event));
}

void CTransButton::OnCaptureLost(wxMouseCaptureLostEvent&) {
  if (m_state.Hold() == ButtonHold::Mouse) m_state.OnCancel();
  Refresh();
}

void CTransButton::OnKeyDown(wxKeyEvent& event) {
  if (event.GetKeyCode() != WXK_SPACE) {
    event.Skip();
    return;
  }
  if (m_state.Hold() != ButtonHold::None) return;  // held already, or a key repeat
  m_state.OnPress(ButtonHold::Key);
  Refresh();
}

void CTransButton::OnKeyUp(wxKeyEvent& event) {
  if (event.GetKeyCode() != WXK_SPACE || m_state.Hold() != ButtonHold::Key) {
    event.Skip();
    return;
  }
  Release(ButtonHold::Key, true);
}

void CTransButton::OnKillFocus(wxFocusEvent& event) {
  if (m_state.Hold() == ButtonHold::Key) {
    m_state.OnCancel();
    Refresh();
  }
  event.Skip();
}
