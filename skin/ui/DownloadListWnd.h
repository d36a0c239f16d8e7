#pragma once
// The download list view: one row per queued item, a selection and a skinned
// scroll bar, drawn from the skin's DownloadList section (GetSkin()). It
// owns no data: every paint reads the queue under the queue's lock. The
// rules live in DownloadListState; this window turns events into its calls
// and paints from it.
//
// All of it runs on the GUI thread except OnItemAppended and
// OnHeadItemRemoved, which may be called from any thread: each hands itself
// to the GUI thread, so notifications are handled there one at a time and in
// the order they were made. A hand-over still pending when the window is
// destroyed is dropped with it; the caller must not call them during or after
// the window's destruction.

#include <wx/bitmap.h>
#include <wx/window.h>

#include <optional>

#include "skin/DownloadListState.h"

class CDownloadQueue;
class wxDC;
class wxKeyEvent;
class wxMouseCaptureLostEvent;
class wxMouseEvent;
class wxPaintEvent;
class wxSizeEvent;

class CDownloadListWnd : public wxWindow {
 public:
  CDownloadListWnd() = default;

  // Makes the view at `rect` of `parent` (the main window gives the skin's
  // DownloadList box and IDC_DOWNLOADLIST). `queue` is read, never changed,
  // and must outlive the window.
  bool Create(CDownloadQueue& queue, const wxRect& rect, wxWindow* parent, int id);

  void ScrollTo(int index);
  // Takes the keyboard focus and selects the row under client y.
  void SelectAtPoint(int y);
  void SetSelection(int index);

  // The queue gained an item at its end / lost its head item. Any thread.
  void OnItemAppended();
  void OnHeadItemRemoved();

  // Paints the whole view into `dc` at (0, 0), as a paint does.
  void DrawTo(wxDC& dc);

  // For tests and the window that hosts the view.
  const DownloadListState& State() const { return *m_state; }

 private:
  int Count() const;
  void DrawScrollBar(wxDC& dc, int count);
  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnKeyDown(wxKeyEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnWheel(wxMouseEvent& event);
  void OnRightDown(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);

  CDownloadQueue* m_pQueue = nullptr;
  std::optional<DownloadListState> m_state;  // made in Create, from the skin
  wxBitmap m_scrollBarImage;                 // off-screen image of the bar, kept between paints
};
