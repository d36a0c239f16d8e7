// The main window in this process under a display: its size in large and
// small mode, the small mode's bottom edge, what closing keeps, and
// screenshots of both modes mid-download for a reviewer.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include "app/RunningInstance.h"
#include "app/ui/MainWnd.h"
#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "platform/bus/DesktopBus.h"
#include "skin/Skin.h"
#include "skin/SkinLoader.h"
#include "skin/ui/SkinBitmaps.h"
#include "tests/support/BuiltinSkinTest.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestMainWndHost.h"
#include "tests/support/WxTestEnvironment.h"

namespace {

class MainWindowTest : public BuiltinSkinTest {
 protected:
  void SetUp() override {
    for (const char* name :
         {"Morning Song.mp3", "Evening Song.mp3", "Night Song.mp3", "Dawn.mp3"}) {
      auto item = std::make_unique<CDownloadItem>();
      item->m_strLocalPath = std::string("/music/") + name;
      core.AddItem(std::move(item));
    }
    core.SetCurrentFileText("Morning Song");
    core.SetStatusText("182");
    core.SetProgress(40);
    core.SetIndicatorFrame(3);
  }

  CMainWnd* Open(bool listShown) {
    auto* window = new CMainWnd(core, host, {40, 30}, listShown);
    window->Show();
    wxTheApp->Yield(true);
    return window;
  }

  static wxImage Capture(CMainWnd& window) {
    const wxSize size = window.GetClientSize();
    wxBitmap bitmap(size);
    {
      wxMemoryDC dc(bitmap);
      window.DrawTo(dc);
    }
    return bitmap.ConvertToImage();
  }

  static void Keep(const wxImage& image, const std::string& name) {
    ASSERT_TRUE(image.SaveFile(std::string(TF_TEST_OUTPUT_DIR) + "/" + name, wxBITMAP_TYPE_PNG));
  }

  ScratchProgramFolder program;
  CDownloadCore core;
  TestMainWndHost host;
};

TEST_F(MainWindowTest, LargeAndSmallModeAndTheSmallModesBottomEdge) {
  const Skin& skin = GetSkin();
  CMainWnd* window = Open(true);
  EXPECT_EQ(window->GetClientSize(), wxSize(skin.main.bitmap.Width(), skin.main.bitmap.Height()));
  Keep(Capture(*window), "main-window-large.png");

  const wxPoint place = window->GetPosition();
  window->ToggleList();
  wxTheApp->Yield(true);
  EXPECT_EQ(window->GetClientSize(), wxSize(skin.main.bitmap.Width(), skin.main.panelHeight));
  EXPECT_EQ(window->GetPosition(), place);
  const wxImage small = Capture(*window);
  Keep(small, "main-window-small.png");
  // The shortened window ends on the background's own bottom rows.
  const PixelImage& face = skin.main.bitmap;
  for (int row = 1; row <= kSmallModeEdgeRows; ++row)
    for (int x : {0, face.Width() / 2, face.Width() - 1}) {
      const ColorRef expected = face.At(x, face.Height() - row);
      const int y = skin.main.panelHeight - row;
      EXPECT_EQ(MakeColorRef(small.GetRed(x, y), small.GetGreen(x, y), small.GetBlue(x, y)),
                expected)
          << "x " << x << " row " << row;
    }

  window->ToggleList();
  EXPECT_EQ(window->GetClientSize().GetHeight(), skin.main.bitmap.Height());
  window->Destroy();
  wxTheApp->Yield(true);
}

TEST_F(MainWindowTest, ClosingStopsKeepsModeAndPlaceAndLeavesTheBus) {
  struct Case {
    bool listShown, minimized;
    const char* smallStart;
    const char* position;
  };
  const Case cases[] = {{false, false, "1", "40,30"}, {true, true, "0", "7,7"}};
  for (const Case& c : cases) {
    WriteSetting("DISP", "POSITION", "7,7");
    core.m_bClosing = false;
    core.m_bRunning = true;
    host.quitAsked = false;
    CMainWnd* window = Open(c.listShown);
    window->Move(40, 30);
    window->m_bMinimized = c.minimized;
    ASSERT_TRUE(FindWindowByTitle(kMainWindowTitle));
    window->Close();
    wxTheApp->Yield(true);
    EXPECT_TRUE(core.m_bClosing);
    EXPECT_FALSE(core.m_bRunning);
    EXPECT_EQ(core.GetStatusText(), "182") << "closing shows no STOP";
    EXPECT_TRUE(host.quitAsked);
    EXPECT_FALSE(FindWindowByTitle(kMainWindowTitle));
    EXPECT_EQ(ReadSetting("DISP", "SMALL_START", -1), c.smallStart);
    EXPECT_EQ(ReadSetting("DISP", "POSITION", -1), c.position);
  }
}

}  // namespace
