// The list view's rules without a window: scrolling and its invariants, the
// keys, selecting by point, queue changes, the wheel and the mouse modes.
// Measures are the built-in skin's: a bar 10 wide, arrows 10 high, thumb
// slices of 5, rows of 13 in a 249 x 119 view (9 whole rows).
#include <gtest/gtest.h>

#include "skin/DownloadListState.h"
#include "skin/SkinFont.h"

namespace {

constexpr ScrollBarMetrics kBuiltinBar{
    .width = 10, .arrowHeight = 10, .sliceHeight = 5, .minThumbHeight = 10, .railHeight = 20};

DownloadListState View(int top = 0, int selected = -1, int count = 30) {
  DownloadListState view(kBuiltinBar, 13);
  view.Resize(249, 119);
  view.ScrollTo(top, count);
  view.SetSelection(selected);
  return view;
}

TEST(ListViewState, RowsFromTheListFont) {
  // 8 points at 96 dpi are 11 pixels, and a row is 2 more.
  const int rowHeight = DescribeSkinFont("MS UI Gothic", 8, "", 96).pixelHeight + 2;
  EXPECT_EQ(rowHeight, 13);
  DownloadListState view(kBuiltinBar, rowHeight);
  view.Resize(249, 119);
  EXPECT_EQ(view.VisibleRows(), 9);
  EXPECT_EQ(view.PaintedRows(), 10) << "the partly shown tenth row is painted";
  EXPECT_EQ(view.TextRect(), (PixelRect{0, 0, 239, 119}));
  EXPECT_EQ(view.ScrollBarRect(), (PixelRect{239, 0, 10, 119}));
  EXPECT_EQ(view.RowRect(9), (PixelRect{0, 117, 239, 13}));
  view.Resize(249, 116);
  EXPECT_EQ(view.VisibleRows(), 8) << "recounted at every resize";

  DownloadListState unusable(kBuiltinBar, -1);
  unusable.Resize(249, 119);
  EXPECT_EQ(unusable.RowHeight(), 1) << "a broken font height cannot divide by zero";
}

TEST(ListViewState, ScrollToKeepsTopAndSelectionInTheQueueAndView) {
  struct Case {
    int count, top, selected, index;
    int wantTop, wantSelected;
  } cases[] = {
      {30, 0, -1, 5, 5, 5},    // no selection becomes the top row
      {30, 0, 2, 5, 5, 5},     // a selection above the view follows it down
      {30, 20, 28, 5, 5, 13},  // and one below it follows it up
      {30, 0, 3, 1, 1, 3},     // a selection in view stays
      {30, 0, 0, -4, 0, 0},    // before the first item
      {30, 0, 0, 99, 29, 29},  // as far as the last item alone
      {0, 0, -1, 7, 0, 0},     // an empty queue
  };
  for (const Case& c : cases) {
    DownloadListState view = View(c.top, c.selected, c.count);
    view.ScrollTo(c.index, c.count);
    EXPECT_EQ(view.TopIndex(), c.wantTop) << c.count << " " << c.index;
    EXPECT_EQ(view.SelectedIndex(), c.wantSelected) << c.count << " " << c.index;
  }
}

TEST(ListViewState, Keys) {
  struct Case {
    int count, top, selected;
    ListKey key;
    int wantTop, wantSelected;
  } cases[] = {
      // An empty queue: the four jumps select row 0, Up and Down do nothing.
      {0, 0, -1, ListKey::Home, 0, 0},
      {0, 0, -1, ListKey::End, 0, 0},
      {0, 0, -1, ListKey::PageUp, 0, 0},
      {0, 0, -1, ListKey::PageDown, 0, 0},
      {0, 0, -1, ListKey::Up, 0, -1},
      {0, 0, -1, ListKey::Down, 0, -1},
      // Page Down brings the selected row to the top.
      {30, 0, 0, ListKey::PageDown, 9, 9},
      {30, 25, 25, ListKey::PageDown, 29, 29},
      {30, 9, 9, ListKey::PageUp, 0, 0},
      {30, 3, 5, ListKey::PageUp, 0, 0},
      {30, 0, 4, ListKey::End, 29, 29},
      {30, 12, 15, ListKey::Home, 0, 0},
      // Up and Down move the selection and scroll only past the view's edge.
      {30, 0, 3, ListKey::Down, 0, 4},
      {30, 0, 8, ListKey::Down, 1, 9},
      {30, 29, 29, ListKey::Down, 29, 29},
      {30, 5, 6, ListKey::Up, 5, 5},
      {30, 5, 5, ListKey::Up, 4, 4},
      {30, 0, 0, ListKey::Up, 0, 0},
  };
  for (const Case& c : cases) {
    DownloadListState view = View(c.top, c.selected, c.count);
    view.OnKey(c.key, c.count);
    EXPECT_EQ(view.TopIndex(), c.wantTop)
        << static_cast<int>(c.key) << " from " << c.top << "/" << c.selected;
    EXPECT_EQ(view.SelectedIndex(), c.wantSelected)
        << static_cast<int>(c.key) << " from " << c.top << "/" << c.selected;
  }
}

TEST(ListViewState, SelectAtPointDoesNotScroll) {
  struct Case {
    int count, top, y, wantSelected;
  } cases[] = {
      {30, 0, 0, 0},  {30, 0, 12, 0}, {30, 0, 13, 1},
      {30, 4, 27, 6}, {3, 0, 39, -1},                   // below the last item: no selection
      {1, 0, 13, -1}, {0, 0, 0, -1},  {30, 2, -40, 0},  // far above the first item (a drag above
                                                        // the window)
  };
  for (const Case& c : cases) {
    DownloadListState view = View(c.top, 1, c.count);
    view.SelectAtPoint(c.y, c.count);
    EXPECT_EQ(view.SelectedIndex(), c.wantSelected) << c.count << " y " << c.y;
    EXPECT_EQ(view.TopIndex(), c.top);
  }
}

TEST(ListViewState, QueueChangesKeepRowsOnTheirItems) {
  DownloadListState shown = View(3, 5, 30);  // rows 3 to 11 shown, row 5 selected
  shown.OnHeadItemRemoved(29);
  EXPECT_EQ(shown.TopIndex(), 2);
  EXPECT_EQ(shown.SelectedIndex(), 4);

  DownloadListState selectedGone = View(0, 0, 30);
  selectedGone.OnHeadItemRemoved(29);
  EXPECT_EQ(selectedGone.TopIndex(), 0);
  EXPECT_EQ(selectedGone.SelectedIndex(), 0) << "the selection moves to the new first row";

  DownloadListState lastGone = View(0, 0, 1);
  lastGone.OnHeadItemRemoved(0);
  EXPECT_EQ(lastGone.SelectedIndex(), 0);

  DownloadListState noRows(kBuiltinBar, 13);  // no whole row fits
  noRows.Resize(249, 5);
  noRows.SetSelection(1);
  noRows.OnHeadItemRemoved(3);
  EXPECT_EQ(noRows.SelectedIndex(), 0);

  DownloadListState appended = View(3, -1, 30);
  appended.OnItemAppended();
  EXPECT_EQ(appended.SelectedIndex(), 3) << "nothing selected: the top row is";
  appended.SetSelection(7);
  appended.OnItemAppended();
  EXPECT_EQ(appended.SelectedIndex(), 7);
}

// Notifications reach the view through the window's own hand-over too, so an
// append made on the GUI thread may be handled before a removal the worker
// made first; the two must give the same view in either order.
TEST(ListViewState, AppendAndHeadRemovalCommute) {
  for (int count = 1; count <= 12; ++count)
    for (int top = 0; top < count; ++top)
      for (int selected = -1; selected <= top + 9; ++selected) {
        DownloadListState appendFirst = View(top, selected, count);
        appendFirst.OnItemAppended();
        appendFirst.OnHeadItemRemoved(count);  // count + 1 - 1
        DownloadListState removeFirst = View(top, selected, count);
        removeFirst.OnHeadItemRemoved(count);
        removeFirst.OnItemAppended();
        EXPECT_EQ(appendFirst.TopIndex(), removeFirst.TopIndex())
            << count << "/" << top << "/" << selected;
        EXPECT_EQ(appendFirst.SelectedIndex(), removeFirst.SelectedIndex())
            << count << "/" << top << "/" << selected;
      }
}

TEST(ListViewState, WheelMovesOneRowUntilOnlyTheLastItemShows) {
  DownloadListState view = View(0, 0, 5);
  for (int step = 1; step <= 4; ++step) {
    EXPECT_TRUE(view.OnWheel(-360, 5)) << "one row whatever the rotation";
    EXPECT_EQ(view.TopIndex(), step);
  }
  EXPECT_FALSE(view.OnWheel(-120, 5)) << "the last item alone: no further";
  EXPECT_EQ(view.TopIndex(), 4);
  EXPECT_FALSE(view.OnWheel(0, 5));
  EXPECT_TRUE(view.OnWheel(120, 5));
  EXPECT_EQ(view.TopIndex(), 3);
  DownloadListState first = View(0, 0, 5);
  EXPECT_FALSE(first.OnWheel(120, 5));
}

TEST(ListViewState, MouseModesStartInTheirRegionAndEndOnRelease) {
  struct Case {
    int x, y;
    ListMouseMode mode;
    int wantTop, wantSelected;
  } cases[] = {
      {100, 45, ListMouseMode::RowDrag, 5, 8},   // row 3 of the view
      {244, 3, ListMouseMode::UpPressed, 4, 7},  // one row up
      {244, 115, ListMouseMode::DownPressed, 6, 7}, {244, 30, ListMouseMode::ThumbDrag, 5, 7},
      {244, 90, ListMouseMode::Idle, 5, 7},  // the track below the thumb
  };
  for (const Case& c : cases) {
    DownloadListState view = View(5, 7, 30);
    // At top 5 the thumb is at (99 - 23) x 5 / 29 + 10 = 23, 23 high.
    ASSERT_EQ(view.Layout(30).thumb, (PixelRect{239, 23, 10, 23}));
    EXPECT_EQ(view.OnLeftDown(c.x, c.y, 30), c.mode) << c.x << "," << c.y;
    EXPECT_EQ(view.TopIndex(), c.wantTop) << c.x << "," << c.y;
    EXPECT_EQ(view.SelectedIndex(), c.wantSelected) << c.x << "," << c.y;
    EXPECT_EQ(view.Pressed(), c.mode == ListMouseMode::UpPressed     ? PressedArrow::Up
                              : c.mode == ListMouseMode::DownPressed ? PressedArrow::Down
                                                                     : PressedArrow::None);
    EXPECT_EQ(view.OnLeftUp(), c.mode);
    EXPECT_EQ(view.MouseMode(), ListMouseMode::Idle);
  }

  DownloadListState empty = View(0, -1, 0);
  empty.OnLeftDown(244, 115, 0);
  EXPECT_EQ(empty.SelectedIndex(), 0) << "an arrow click on an empty list selects row 0";

  DownloadListState lost = View(0, 0, 30);
  lost.OnLeftDown(100, 0, 30);
  lost.OnCaptureLost();
  EXPECT_EQ(lost.MouseMode(), ListMouseMode::Idle);
  EXPECT_FALSE(lost.OnMouseMove(50, 30)) << "a lost capture ends the drag";
}

TEST(ListViewState, DraggingRowsAndTheThumb) {
  DownloadListState rows = View(0, 0, 30);
  rows.OnLeftDown(100, 0, 30);
  EXPECT_TRUE(rows.OnMouseMove(40, 30));
  EXPECT_EQ(rows.SelectedIndex(), 3);
  EXPECT_TRUE(rows.OnMouseMove(500, 30));
  EXPECT_EQ(rows.SelectedIndex(), -1) << "dragged below the last item";

  // Thumb 23 high on a 99-pixel track: 76 pixels of travel for 30 items.
  DownloadListState thumb = View(0, 0, 30);
  ASSERT_EQ(thumb.OnLeftDown(244, 20, 30), ListMouseMode::ThumbDrag);
  EXPECT_FALSE(thumb.OnMouseMove(21, 30)) << "-1 x 30 / 76 truncates to 0";
  EXPECT_TRUE(thumb.OnMouseMove(30, 30));
  EXPECT_EQ(thumb.TopIndex(), 3) << "-10 x 30 / 76 = -3.9 truncates toward zero";
  EXPECT_EQ(thumb.SelectedIndex(), 3);
  EXPECT_TRUE(thumb.OnMouseMove(20, 30));
  EXPECT_EQ(thumb.TopIndex(), 0) << "back where the drag began";
  EXPECT_TRUE(thumb.OnMouseMove(2000, 30));
  EXPECT_EQ(thumb.TopIndex(), 29);
  EXPECT_FALSE(thumb.OnMouseMove(-2000, 0)) << "an empty queue does not move";

  // One item, or an empty list: the thumb fills the track and cannot move.
  for (int count : {0, 1}) {
    DownloadListState full = View(0, -1, count);
    EXPECT_EQ(full.Layout(count).thumb, (PixelRect{239, 10, 10, 99})) << count;
    ASSERT_EQ(full.OnLeftDown(244, 50, count), ListMouseMode::ThumbDrag);
    EXPECT_FALSE(full.OnMouseMove(90, count));
    EXPECT_EQ(full.TopIndex(), 0);
    EXPECT_EQ(full.SelectedIndex(), -1) << "the move changes nothing, not even the selection";
  }
}

TEST(ListViewState, RightClickSelectsOnlyInTheText) {
  DownloadListState view = View(0, 0, 30);
  EXPECT_TRUE(view.OnRightDown(10, 28, 30));
  EXPECT_EQ(view.SelectedIndex(), 2);
  EXPECT_FALSE(view.OnRightDown(244, 60, 30));
  EXPECT_EQ(view.SelectedIndex(), 2);
  EXPECT_EQ(view.MouseMode(), ListMouseMode::Idle);
}

}  // namespace
