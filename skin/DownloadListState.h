#pragma once
// The download list view without its window: the first row shown, the
// selection, the whole rows that fit, the mouse mode, and the rules by which
// scrolling, keys, the mouse and queue changes move them. The window
// (skin/ui/DownloadListWnd.h) feeds it events and paints from it. `count` is
// the queue's item count at the moment of the call. Not thread-safe: the
// window uses it on the GUI thread only.
//
// Invariants after ScrollTo: 0 <= top <= max(count - 1, 0), and
// top <= selected <= top + visible rows - 1, so the selection follows the
// view. The view may scroll until only the last item is shown.

#include "skin/ListScrollBar.h"
#include "skin/PixelRect.h"

// Only one mode at a time; a button-down in the matching region starts it,
// the button-up (or a lost capture) ends it.
enum class ListMouseMode { Idle, RowDrag, UpPressed, DownPressed, ThumbDrag };

// The keys the list acts on; others get the default handling.
enum class ListKey { PageUp, PageDown, End, Home, Up, Down };

// Pixels from a row's left edge to its text, and where the selection band starts.
inline constexpr int kRowTextIndent = 12;

class DownloadListState {
 public:
  // `rowHeight` is the list font's pixel height + 2 (at least 1).
  DownloadListState(const ScrollBarMetrics& metrics, int rowHeight);

  // The client size changed: whole visible rows = height / row height.
  void Resize(int width, int height);

  int TopIndex() const { return m_nTopIndex; }
  int SelectedIndex() const { return m_nSelectedIndex; }
  int VisibleRows() const { return m_nVisibleRows; }
  int RowHeight() const { return m_nRowHeight; }
  ListMouseMode MouseMode() const { return m_mode; }
  const ScrollBarMetrics& Metrics() const { return m_metrics; }

  // The client area less the scroll bar, and the bar along the right edge.
  PixelRect TextRect() const;
  PixelRect ScrollBarRect() const;
  ScrollBarLayout Layout(int count) const;
  // The arrow drawn pressed in the current mouse mode.
  PressedArrow Pressed() const;
  // Rows painted: the visible rows and one more, for a partly shown last row.
  int PaintedRows() const { return m_nVisibleRows + 1; }
  // Row `i` of the view (0 at the top), the full text-area width.
  PixelRect RowRect(int i) const;

  // Clamps `index` into the queue, makes it the top row and pulls the
  // selection into the view.
  void ScrollTo(int index, int count);
  // Selects the row under client y; below the last item clears the
  // selection. Does not scroll.
  void SelectAtPoint(int y, int count);
  // Sets the selection as given, without clamping.
  void SetSelection(int index) { m_nSelectedIndex = index; }

  // An item was appended: with nothing selected, the top row is.
  void OnItemAppended();
  // The head item was removed (`count` is the new count): the rows keep
  // showing their items, and the selection stays on its item, or on the
  // first row when its item was the one removed.
  void OnHeadItemRemoved(int count);

  void OnKey(ListKey key, int count);

  // One row per wheel event whatever the rotation's size: down for a
  // negative rotation while the top is above the last item, up for a
  // positive one while the top is not the first. True when it scrolled.
  bool OnWheel(int rotation, int count);

  // Mouse events in client coordinates. OnLeftDown returns the new mode; any
  // mode but Idle means the window captures the mouse. OnLeftUp returns the
  // mode it ended, so the window releases its capture when that is not
  // Idle. OnMouseMove and OnRightDown return whether the view changed.
  ListMouseMode OnLeftDown(int x, int y, int count);
  ListMouseMode OnLeftUp();
  bool OnMouseMove(int y, int count);
  bool OnRightDown(int x, int y, int count);
  // The capture was taken away: back to Idle without a button-up.
  void OnCaptureLost() { m_mode = ListMouseMode::Idle; }

 private:
  ScrollBarMetrics m_metrics;
  int m_nRowHeight;
  int m_nWidth = 0;
  int m_nHeight = 0;
  int m_nTopIndex = 0;
  int m_nVisibleRows = 0;
  int m_nSelectedIndex = -1;
  int m_nDragStartY = 0;
  int m_nDragStartTop = 0;
  ListMouseMode m_mode = ListMouseMode::Idle;
};
