// The download list view painted from the built-in skin into an image and
// compared pixel by pixel, its mouse handling and its hand-over of queue
// notifications to the GUI thread. Also writes a picture of the main face
// with the list for a reviewer: test-output/controls_list_view.png in the
// build folder. Runs under Xvfb.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "core/DownloadQueue.h"
#include "skin/PanelGeometry.h"
#include "skin/SkinLoader.h"
#include "skin/ui/DownloadListWnd.h"
#include "skin/ui/SkinBitmaps.h"
#include "skin/ui/SkinPanels.h"
#include "tests/support/BuiltinSkinTest.h"
#include "tests/support/PaintedImage.h"
#include "tests/support/WxTestEnvironment.h"

namespace {

constexpr int kListW = 249;
constexpr int kListH = 119;

class ListView : public BuiltinSkinTest {
 protected:
  void SetUp() override {
    m_pFrame = new wxFrame(nullptr, wxID_ANY, "list", wxDefaultPosition, wxSize(300, 250));
    auto* face =
        new wxWindow(m_pFrame, wxID_ANY);  // a frame stretches its only child; the face takes that
    m_pView = new CDownloadListWnd;
    ASSERT_TRUE(m_pView->Create(m_queue, wxRect(13, 87, kListW, kListH), face, 111));
    m_pFrame->Show();
  }
  void TearDown() override { m_pFrame->Destroy(); }

  void Fill(int count) {
    for (int i = 0; i < count; ++i) {
      auto item = std::make_unique<CDownloadItem>();
      item->m_strTitle = "Track " + std::to_string(i + 1) + " - Evening Rain";
      m_queue.Append(std::move(item));
    }
  }

  wxImage Paint() {
    return PaintedImage(kListW, kListH, [this](wxDC& dc) { m_pView->DrawTo(dc); });
  }

  void Mouse(wxEventType type, int x, int y) {
    wxMouseEvent event(type);
    event.SetPosition(wxPoint(x, y));
    event.SetEventObject(m_pView);
    m_pView->GetEventHandler()->ProcessEvent(event);
  }

  CDownloadQueue m_queue;
  wxFrame* m_pFrame = nullptr;
  CDownloadListWnd* m_pView = nullptr;
};

TEST_F(ListView, RowsFromTheListFont) {
  EXPECT_EQ(m_pView->State().RowHeight(), 13);
  EXPECT_EQ(m_pView->State().VisibleRows(), 9);
  EXPECT_EQ(m_pView->GetId(), 111);
}

TEST_F(ListView, SelectionBandStartsTwelvePixelsIn) {
  const SkinDownloadList& list = GetSkin().downloadList;
  Fill(3);
  m_pView->SetSelection(1);
  const wxImage image = Paint();
  const int clean = 2 * 13 - 1;  // the selected row's last line, below its text
  EXPECT_EQ(PixelAt(image, 11, clean), list.bgColor);
  EXPECT_EQ(PixelAt(image, 12, clean), list.selBgColor);
  EXPECT_EQ(PixelAt(image, 238, clean), list.selBgColor);
  EXPECT_EQ(PixelAt(image, 12, clean + 1), list.bgColor) << "the next row is not selected";

  int firstInk = kListW;
  for (int x = 0; x < 239; ++x)
    for (int y = 0; y < 13; ++y)
      if (image.GetRed(x, y) > 96) firstInk = std::min(firstInk, x);
  EXPECT_GE(firstInk, 12);
  EXPECT_LE(firstInk, 14) << "the text starts 12 pixels in";

  int painted = 0;  // rows past the end, the partly shown tenth included, are plain background
  for (int x = 0; x < 239; ++x)
    for (int y = 3 * 13; y < kListH; ++y) painted += PixelAt(image, x, y) != list.bgColor;
  EXPECT_EQ(painted, 0);
}

TEST_F(ListView, EmptyListShowsTheBandAfterHome) {
  wxKeyEvent home(wxEVT_KEY_DOWN);
  home.m_keyCode = WXK_HOME;
  m_pView->GetEventHandler()->ProcessEvent(home);
  EXPECT_EQ(m_pView->State().SelectedIndex(), 0);
  const wxImage image = Paint();
  EXPECT_EQ(PixelAt(image, 11, 5), GetSkin().downloadList.bgColor);
  EXPECT_EQ(PixelAt(image, 12, 5), GetSkin().downloadList.selBgColor);
}

TEST_F(ListView, PressedArrowCellWhileHeld) {
  const PixelImage& arrows = GetSkin().downloadList.lineBitmap;  // 20 x 20: released | pressed
  Fill(30);
  auto upCellShows = [&](int column) {
    const wxImage image = Paint();
    int wrong = 0;
    for (int x = 0; x < 10; ++x)
      for (int y = 0; y < 10; ++y) wrong += PixelAt(image, 239 + x, y) != arrows.At(column + x, y);
    return wrong == 0;
  };
  m_pView->ScrollTo(5);
  EXPECT_TRUE(upCellShows(0));
  Mouse(wxEVT_LEFT_DOWN, 244, 4);
  EXPECT_TRUE(m_pView->HasCapture());
  EXPECT_EQ(m_pView->State().TopIndex(), 4);
  EXPECT_TRUE(upCellShows(10)) << "held: the pressed cell";
  Mouse(wxEVT_LEFT_UP, 244, 4);
  EXPECT_FALSE(m_pView->HasCapture());
  EXPECT_TRUE(upCellShows(0));

  ASSERT_NE(arrows.At(5, 5), arrows.At(15, 5))
      << "the cells differ, so the test can tell them apart";
}

TEST_F(ListView, WorkerNotificationsAreHandledOnTheGuiThread) {
  Fill(30);
  m_pView->ScrollTo(3);
  m_pView->SetSelection(5);
  std::thread worker([this] {
    m_queue.RemoveHead();
    m_pView->OnHeadItemRemoved();
    m_queue.RemoveHead();
    m_pView->OnHeadItemRemoved();
  });
  worker.join();
  EXPECT_EQ(m_pView->State().TopIndex(), 3) << "nothing touched the view off the GUI thread";
  wxTheApp->ProcessPendingEvents();
  EXPECT_EQ(m_pView->State().TopIndex(), 1);
  EXPECT_EQ(m_pView->State().SelectedIndex(), 3) << "the selection stayed on its item";

  m_pView->OnItemAppended();
  delete m_pFrame;  // the hand-over still pending dies with the window
  m_pView = nullptr;
  wxTheApp->ProcessPendingEvents();
  m_pFrame = new wxFrame(nullptr, wxID_ANY, "after");
}

TEST_F(ListView, ScreenshotOfTheFaceWithThirtyItems) {
  Fill(30);
  m_pView->ScrollTo(8);
  m_pView->SetSelection(12);
  const Skin& skin = GetSkin();
  const wxImage face =
      PaintedImage(skin.main.bitmap.Width(), skin.main.bitmap.Height(), [&](wxDC& dc) {
        dc.DrawBitmap(SkinBitmap(skin.main.bitmap), 0, 0);
        PaintCurrentFilePanel(dc, "Track 1 - Evening Rain");
        PaintStatusPanel(dc, "OK");
        PaintProgressPanel(dc, 40);
        PaintIndicatorPanel(dc, 3);
        wxBitmap list(kListW, kListH, 24);
        {
          wxMemoryDC listDc(list);
          m_pView->DrawTo(listDc);
        }
        dc.DrawBitmap(list, skin.downloadList.x, skin.downloadList.y);
      });
  // The thumb has left the top of the track.
  EXPECT_NE(PixelAt(face, skin.downloadList.x + 244, skin.downloadList.y + 12),
            PixelAt(face, skin.downloadList.x + 244, skin.downloadList.y + 40));

  std::filesystem::create_directories(TF_TEST_OUTPUT_DIR);
  const std::string path = std::string(TF_TEST_OUTPUT_DIR) + "/controls_list_view.png";
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  EXPECT_TRUE(face.SaveFile(path, wxBITMAP_TYPE_PNG));
  EXPECT_TRUE(std::filesystem::exists(path));
}

}  // namespace
