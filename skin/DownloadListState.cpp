#include "skin/DownloadListState.h"

#include <algorithm>
#include <utility>

DownloadListState::DownloadListState(const ScrollBarMetrics& metrics, int rowHeight)
    : m_metrics(metrics), m_nRowHeight(std::max(rowHeight, 1)) {}

void DownloadListState::Resize(int width, int height) {
  m_nWidth = std::max(width, 0);
  m_nHeight = std::max(height, 0);
  m_nVisibleRows = m_nHeight / m_nRowHeight;
}

PixelRect DownloadListState::TextRect() const {
  return {0, 0, m_nWidth - m_metrics.width, m_nHeight};
}

PixelRect DownloadListState::ScrollBarRect() const {
  return {m_nWidth - m_metrics.width, 0, m_metrics.width, m_nHeight};
}

ScrollBarLayout DownloadListState::Layout(int count) const {
  return LayOutScrollBar(ScrollBarRect(), m_metrics, count, m_nVisibleRows, m_nTopIndex);
}

PressedArrow DownloadListState::Pressed() const {
  if (m_mode == ListMouseMode::UpPressed) return PressedArrow::Up;
  if (m_mode == ListMouseMode::DownPressed) return PressedArrow::Down;
  return PressedArrow::None;
}

PixelRect DownloadListState::RowRect(int i) const {
  return {0, i * m_nRowHeight, TextRect().w, m_nRowHeight};
}

void DownloadListState::ScrollTo(int index, int count) {
  if (index < 0)
    index = 0;
  else if (index > count - 1)
    index = count > 0 ? count - 1 : 0;
  m_nTopIndex = index;
  if (m_nSelectedIndex < m_nTopIndex)
    m_nSelectedIndex = m_nTopIndex;
  else if (m_nSelectedIndex > m_nTopIndex + m_nVisibleRows - 1)
    m_nSelectedIndex = m_nTopIndex + m_nVisibleRows - 1;
}

void DownloadListState::SelectAtPoint(int y, int count) {
  const int row = y / m_nRowHeight + m_nTopIndex;
  if (row > count - 1)
    m_nSelectedIndex = -1;
  else if (row < 0)
    m_nSelectedIndex = 0;
  else
    m_nSelectedIndex = row;
}

void DownloadListState::OnItemAppended() {
  if (m_nSelectedIndex == -1) m_nSelectedIndex = m_nTopIndex;
}

void DownloadListState::OnHeadItemRemoved(int count) {
  if (m_nTopIndex > 0) --m_nTopIndex;
  --m_nSelectedIndex;
  ScrollTo(m_nTopIndex, count);
  // With no whole row visible ScrollTo can leave the selection at -1.
  if (m_nSelectedIndex == -1) SetSelection(0);
}

void DownloadListState::OnKey(ListKey key, int count) {
  const int v = m_nVisibleRows;
  switch (key) {
    case ListKey::PageUp:
      m_nSelectedIndex = std::max(m_nSelectedIndex - v, 0);
      ScrollTo(m_nSelectedIndex, count);
      break;
    case ListKey::PageDown:
      m_nSelectedIndex = std::min(m_nSelectedIndex + v, count - 1);
      ScrollTo(m_nSelectedIndex, count);
      break;
    case ListKey::End:
      m_nSelectedIndex = count > 0 ? count - 1 : 0;
      ScrollTo(m_nSelectedIndex, count);
      break;
    case ListKey::Home:
      m_nSelectedIndex = 0;
      ScrollTo(0, count);
      break;
    case ListKey::Up:
      if (m_nSelectedIndex > 0) {
        --m_nSelectedIndex;
        if (m_nSelectedIndex < m_nTopIndex) ScrollTo(m_nSelectedIndex, count);
      }
      break;
    case ListKey::Down:
      if (m_nSelectedIndex < count - 1) {
        ++m_nSelectedIndex;
        if (m_nSelectedIndex > m_nTopIndex + v - 1) ScrollTo(m_nTopIndex + 1, count);
      }
      break;
  }
}

bool DownloadListState::OnWheel(int rotation, int count) {
  if (rotation < 0 && m_nTopIndex < count - 1) {
    ScrollTo(m_nTopIndex + 1, count);
    return true;
  }
  if (rotation > 0 && m_nTopIndex > 0) {
    ScrollTo(m_nTopIndex - 1, count);
    return true;
  }
  return false;
}

ListMouseMode DownloadListState::OnLeftDown(int x, int y, int count) {
  const ScrollBarLayout layout = Layout(count);
  switch (HitTestList(x, y, TextRect(), layout)) {
    case ListRegion::Text:
      SelectAtPoint(y, count);
      m_mode = ListMouseMode::RowDrag;
      break;
    case ListRegion::UpArrow:
      ScrollTo(m_nTopIndex - 1, count);
      m_mode = ListMouseMode::UpPressed;
      break;
    case ListRegion::DownArrow:
      ScrollTo(m_nTopIndex + 1, count);
      m_mode = ListMouseMode::DownPressed;
      break;
    case ListRegion::Thumb:
      m_nDragStartY = y;
      m_nDragStartTop = m_nTopIndex;
      m_mode = ListMouseMode::ThumbDrag;
      break;
    case ListRegion::None:
      break;
  }
  return m_mode;
}

ListMouseMode DownloadListState::OnLeftUp() { return std::exchange(m_mode, ListMouseMode::Idle); }

bool DownloadListState::OnMouseMove(int y, int count) {
  if (m_mode == ListMouseMode::RowDrag) {
    SelectAtPoint(y, count);
    return true;
  }
  if (m_mode != ListMouseMode::ThumbDrag || count <= 0) return false;
  const ScrollBarLayout layout = Layout(count);
  if (layout.trackLength - layout.thumb.h <= 0) return false;  // the thumb fills the track
  // Measured from where the drag began, so bringing the thumb back there
  // brings back the row the drag began on.
  const long long target =
      static_cast<long long>(m_nDragStartTop) - ThumbDragDelta(m_nDragStartY, y, count, layout);
  const int top = static_cast<int>(std::clamp<long long>(target, 0, count - 1));
  if (top == m_nTopIndex) return false;
  ScrollTo(top, count);
  return true;
}

bool DownloadListState::OnRightDown(int x, int y, int count) {
  if (!TextRect().Contains(x, y)) return false;
  SelectAtPoint(y, count);
  return true;
}
