#pragma once
// A skinned push button drawn from its picture: released state over pressed
// state, already composited over the window background (the skin's
// SkinPicture::bitmap). Its size is the picture's width by half its height.
//
// A click (pressed and released over the button) sends wxEVT_BUTTON with the
// button's id, which reaches the parent like a standard button's, so the
// parent binds Bind(wxEVT_BUTTON, handler, id). Like a standard push button
// it takes the focus when pressed, holds the mouse capture while held, shows
// its pressed half only while the pointer is over it and sends nothing when
// released elsewhere; with the focus, Space presses and releases it. Hover
// and focus do not change its look.

#include <wx/bitmap.h>
#include <wx/control.h>

#include "skin/PixelImage.h"
#include "skin/PushButtonState.h"

class wxDC;
class wxFocusEvent;
class wxKeyEvent;
class wxMouseCaptureLostEvent;
class wxMouseEvent;
class wxPaintEvent;

class CTransButton : public wxControl {
 public:
  CTransButton() = default;

  // Makes the button at (x, y) of `parent` with `id`; the picture is
  // copied and not referred to afterwards.
  bool Create(const PixelImage& picture, int x, int y, wxWindow* parent, int id);

  // Draws the button's current half at (0, 0) of `dc`, as its paint does.
  void DrawTo(wxDC& dc) const;

  ButtonLook Look() const { return m_state.Look(); }

 private:
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void OnKeyDown(wxKeyEvent& event);
  void OnKeyUp(wxKeyEvent& event);
  void OnKillFocus(wxFocusEvent& event);
  bool IsOver(const wxMouseEvent& event) const;
  void Release(ButtonHold by, bool inside);

  PixelImage m_source;
  // m_source at the scale of the screen last drawn on (DrawTo converts again
  // when the window moves to a screen of another scale).
  mutable wxBitmap m_picture;
  mutable int m_nPictureScale = 0;
  int m_nHalfHeight = 0;
  PushButtonState m_state;
};
