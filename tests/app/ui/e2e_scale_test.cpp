// The program's window at GTK's window scales 2 and 3 (GDK_SCALE), and with
// text scaling (GDK_DPI_SCALE), against the same window at scale 1, on the
// test's X display: outside its text boxes the window is the scale-1 window
// with every pixel enlarged to a block, and the text in each box is the
// scale-1 text enlarged, so it fits its box as at scale 1; the same for the
// small mode with its bottom edge. The screenshots are kept in
// test-output/scale/ for a reviewer.

#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/image.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/RunningInstance.h"
#include "platform/bus/DesktopBus.h"
#include "skin/SkinLoader.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PlayerDouble.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/X11TopLevel.h"  // last: see there

namespace {

using namespace std::chrono_literals;

// A box of the window in the skin's pixels (those of scale 1).
struct Box {
  int x, y, w, h;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

wxImage Capture(Display* display, Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
    return {};
  XImage* shot =
      XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (!shot) return {};
  wxImage image(attributes.width, attributes.height, false);
  for (int y = 0; y < attributes.height; ++y)
    for (int x = 0; x < attributes.width; ++x) {
      const unsigned long pixel = XGetPixel(shot, x, y);
      image.SetRGB(x, y, (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
  XDestroyImage(shot);
  return image;
}

bool SameImage(const wxImage& a, const wxImage& b) {
  return a.IsOk() && b.IsOk() && a.GetSize() == b.GetSize() &&
         std::equal(a.GetData(), a.GetData() + a.GetWidth() * a.GetHeight() * 3, b.GetData());
}

// The bounding box, in `scale`'s pixels, of the pixels inside `box` (skin
// pixels) that differ from the box's top-left pixel, its background.
Box InkOf(const wxImage& image, const Box& box, int scale) {
  const int bx = box.x * scale, by = box.y * scale;
  const auto background =
      std::make_tuple(image.GetRed(bx, by), image.GetGreen(bx, by), image.GetBlue(bx, by));
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
  for (int y = by; y < (box.y + box.h) * scale; ++y)
    for (int x = bx; x < (box.x + box.w) * scale; ++x)
      if (std::make_tuple(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)) !=
          background) {
        left = std::min(left, x), top = std::min(top, y), right = std::max(right, x),
        bottom = std::max(bottom, y);
      }
  return right < 0 ? Box{0, 0, 0, 0} : Box{left, top, right - left + 1, bottom - top + 1};
}

class ScaleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { wxImage::AddHandler(new wxPNGHandler); }

  void SetUp() override {
    IgnoreXErrors();
    m_pDisplay = XOpenDisplay(nullptr);
    if (!m_pDisplay) GTEST_SKIP() << "no X display";
    ASSERT_TRUE(SetDefaultSkin(m_skin, 96));
    std::filesystem::create_hard_link(std::string(TF_PROGRAM_DIR) + "/tunefetch",
                                      program / "tunefetch");
    m_strSettings =
        "[GENERAL]\nLANGUAGE=English\n[SITE]\nPROXY_MODE=0\n[CACHE]\nWITH_DIR=0\nSAVE_DIR=" +
        save.Path() + "/\n[DISP]\nAUTO_CLOSE=0\nSMALL_START=0\n";
    // The transfers wait for a head that never comes: the panels and rows hold still.
    TestHttpReply stall;
    stall.failure = TestHttpReply::Failure::StallBeforeHead;
    server.SetReply(stall);
    WriteFileText(
        lists / "one.mpq",
        "//!baseurl " + server.Url("/") +
            "\nA rather long file name that runs past the panel.mp3\nsecond.mp3\nthird.mp3\n");
    std::filesystem::create_directories(std::string(TF_TEST_OUTPUT_DIR) + "/scale");
  }

  void TearDown() override {
    FreeSkin(m_skin);
    if (m_pDisplay) XCloseDisplay(m_pDisplay);
  }

  // The main window once two looks 300 ms apart show the same picture.
  wxImage StableCapture() {
    wxImage last, image;
    WaitUntil(
        [&] {
          last = image;
          const Window window = FindTopLevelByTitle(m_pDisplay, std::string(kMainWindowTitle));
          image = window ? Capture(m_pDisplay, window) : wxImage();
          if (!SameImage(last, image)) {
            usleep(300000);
            return false;
          }
          return server.RequestCount() > 0;
        },
        20s);
    return image;
  }

  // The window of a start with `environment` set, after `act` (given the
  // window's top-left on the screen) when there is one; saved as
  // test-output/scale/<name>.png.
  wxImage Screenshot(const std::vector<std::pair<const char*, const char*>>& environment,
                     const std::string& name, const std::function<void(int, int)>& act = {}) {
    WriteFileText(program / "tunefetch.ini",
                  m_strSettings);  // each start as the first: closing writes
    for (const auto& [key, value] : environment) setenv(key, value, 1);
    const pid_t pid =
        StartProgram(program / "tunefetch", {lists / m_strList}, lists / (name + ".txt"));
    for (const auto& [key, value] : environment) unsetenv(key);
    wxImage image = StableCapture();
    if (act && image.IsOk()) {
      int x = 0, y = 0;
      Window child;
      XTranslateCoordinates(m_pDisplay,
                            FindTopLevelByTitle(m_pDisplay, std::string(kMainWindowTitle)),
                            DefaultRootWindow(m_pDisplay), 0, 0, &x, &y, &child);
      act(x, y);
      image = StableCapture();
    }
    PostMessage(FindWindowByTitle(kMainWindowTitle), WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForChildExit(pid, 10s), 0) << name;
    if (image.IsOk())
      image.SaveFile(std::string(TF_TEST_OUTPUT_DIR) + "/scale/" + name + ".png",
                     wxBITMAP_TYPE_PNG);
    return image;
  }

  std::vector<Box> TextBoxes() const {
    const SkinDownloadList& list = m_skin.downloadList;
    return {
        {m_skin.currentFile.x, m_skin.currentFile.y, m_skin.currentFile.w, m_skin.currentFile.h},
        {m_skin.status.x, m_skin.status.y, m_skin.status.w, m_skin.status.h},
        {list.x, list.y, list.w - list.sliderBitmap.Width(), list.h}};
  }

  // `image` is `one` enlarged `factor` times outside the text boxes, and the
  // text in each box is the same size enlarged, within a pixel or two.
  void ExpectEnlarged(const wxImage& one, const wxImage& image, int factor,
                      const std::string& name) {
    ASSERT_TRUE(image.IsOk()) << name;
    ASSERT_EQ(image.GetWidth(), one.GetWidth() * factor) << name;
    ASSERT_EQ(image.GetHeight(), one.GetHeight() * factor) << name;
    std::vector<Box> boxes = TextBoxes();
    std::erase_if(boxes, [&](const Box& box) {
      return box.y + box.h > one.GetHeight();
    });  // hidden in small mode
    int differing = 0;
    for (int y = 0; y < image.GetHeight(); ++y)
      for (int x = 0; x < image.GetWidth(); ++x) {
        const int sx = x / factor, sy = y / factor;
        if (std::any_of(boxes.begin(), boxes.end(),
                        [&](const Box& box) { return box.Contains(sx, sy); }))
          continue;
        if (image.GetRed(x, y) != one.GetRed(sx, sy) ||
            image.GetGreen(x, y) != one.GetGreen(sx, sy) ||
            image.GetBlue(x, y) != one.GetBlue(sx, sy))
          ++differing;
      }
    EXPECT_EQ(differing, 0) << name
                            << ": pixels outside the text boxes that are not the scale-1 window's";
    // Text drawn at the scale's resolution differs in its pixels, not in its
    // size: its ink covers the enlarged scale-1 ink within a pixel or two.
    for (const Box& box : boxes) {
      const Box inkOne = InkOf(one, box, 1), ink = InkOf(image, box, factor);
      EXPECT_GT(inkOne.h, 0) << "box at " << box.x << "," << box.y << " shows text";
      EXPECT_NEAR(ink.y - box.y * factor, (inkOne.y - box.y) * factor, 2 * factor) << name;
      EXPECT_NEAR(ink.h, inkOne.h * factor, 2 * factor)
          << name << " box at " << box.x << "," << box.y;
      EXPECT_NEAR(ink.w, inkOne.w * factor, std::max(3, inkOne.w * factor / 8)) << name;
    }
  }

  Display* m_pDisplay = nullptr;
  std::string m_strList = "one.mpq";
  std::string m_strSettings;
  Skin m_skin;
  ScratchFolder program, save, lists;
  TestHttpServer server;
  PlayerDouble player{{}};
};

TEST_F(ScaleTest, EveryScaleShowsTheScaleOneWindowEnlargedWithItsTextInsideItsBoxes) {
  const wxImage one = Screenshot({{"GDK_SCALE", "1"}}, "scale1");
  ASSERT_TRUE(one.IsOk()) << "no window at scale 1";
  struct Case {
    const char* name;
    const char* gdkScale;
    const char* dpiScale;
    int factor;
  };
  for (const Case& c :
       {Case{"scale2", "2", "1", 2}, Case{"scale3", "3", "1", 3},
        Case{"scale1-text1.25", "1", "1.25", 1}, Case{"scale2-text1.5", "2", "1.5", 2}})
    ExpectEnlarged(one,
                   Screenshot({{"GDK_SCALE", c.gdkScale}, {"GDK_DPI_SCALE", c.dpiScale}}, c.name),
                   c.factor, c.name);
}

TEST_F(ScaleTest, TheSmallModeKeepsItsBottomEdgeAtScaleTwo) {
  m_strSettings.replace(m_strSettings.find("SMALL_START=0"), 13, "SMALL_START=1");
  const wxImage one = Screenshot({{"GDK_SCALE", "1"}}, "small-scale1");
  ASSERT_TRUE(one.IsOk());
  EXPECT_EQ(one.GetHeight(), m_skin.main.panelHeight);
  ExpectEnlarged(one, Screenshot({{"GDK_SCALE", "2"}}, "small-scale2"), 2, "small-scale2");
}

// The pointer at scale 2 hits what it hits at scale 1: a drag of the scroll
// bar's thumb scrolls as far, and a click on the Open button shrinks the
// window. xdotool moves the pointer in the screen's pixels.
TEST_F(ScaleTest, TheThumbDragAndAButtonClickHitAlikeAtScaleTwo) {
  std::string lines = "//!baseurl " + server.Url("/") + "\n";
  for (int item = 0; item < 30; ++item) lines += "item" + std::to_string(item) + ".mp3\n";
  WriteFileText(lists / "many.mpq", lines);
  m_strList = "many.mpq";
  const SkinDownloadList& list = m_skin.downloadList;
  const int thumbX = list.x + list.w - list.sliderBitmap.Width() / 2;
  const int thumbY = list.y + list.lineBitmap.Height() / 2 + 3;  // just below the up arrow
  const int openX = m_skin.open.x + m_skin.open.bitmap.Width() / 2;
  const int openY = m_skin.open.y + m_skin.open.bitmap.Height() / 4;
  wxImage dragged[2], clicked[2];
  for (const int scale : {1, 2}) {
    const std::string name = "pointer-scale" + std::to_string(scale);
    const auto at = [&](int left, int top, int x, int y) {
      return std::to_string(left + x * scale) + " " + std::to_string(top + y * scale);
    };
    const std::string scaleText = std::to_string(scale);
    dragged[scale - 1] =
        Screenshot({{"GDK_SCALE", scaleText.c_str()}}, name + "-drag", [&](int left, int top) {
          std::system(("xdotool mousemove " + at(left, top, thumbX, thumbY) +
                       " sleep 0.2 mousedown 1 sleep 0.2 mousemove " +
                       at(left, top, thumbX, thumbY + 30) + " sleep 0.2 mouseup 1")
                          .c_str());
        });
    clicked[scale - 1] =
        Screenshot({{"GDK_SCALE", scaleText.c_str()}}, name + "-open", [&](int left, int top) {
          std::system(
              ("xdotool mousemove " + at(left, top, openX, openY) + " sleep 0.2 click 1").c_str());
        });
  }
  EXPECT_FALSE(SameImage(Screenshot({{"GDK_SCALE", "1"}}, "pointer-scale1-still"), dragged[0]))
      << "the drag scrolled the list";
  ASSERT_TRUE(clicked[0].IsOk());
  EXPECT_EQ(clicked[0].GetHeight(), m_skin.main.panelHeight) << "the click shrank the window";
  ExpectEnlarged(dragged[0], dragged[1], 2, "thumb drag");
  ExpectEnlarged(clicked[0], clicked[1], 2, "Open click");
}

// The setup sheet is made of GTK's own controls, which GTK enlarges: at
// scale 2 it is the scale-1 sheet's size twice. (At scale 3 the test's
// 1280 x 1024 screen is smaller than the sheet, which then fits the screen.)
TEST_F(ScaleTest, TheSetupSheetIsEnlargedWholeAtEveryScale) {
  WriteFileText(program / "tunefetch.ini", m_strSettings);
  wxImage sheets[2];
  for (const int scale : {1, 2}) {
    const std::string scaleText = std::to_string(scale);
    setenv("GDK_SCALE", scaleText.c_str(), 1);
    const pid_t pid =
        StartProgram(program / "tunefetch", {}, lists / ("sheet" + scaleText + ".txt"));
    unsetenv("GDK_SCALE");
    wxImage& image = sheets[scale - 1];
    WaitUntil(
        [&] {
          const Window window = FindTopLevelByTitle(m_pDisplay, std::string(kSetupSheetTitle));
          const wxImage last = image;
          image = window ? Capture(m_pDisplay, window) : wxImage();
          if (SameImage(last, image)) return true;
          usleep(300000);
          return false;
        },
        20s);
    EXPECT_EQ(WaitForChildExit(pid, 100ms), -2) << "the sheet stays open until it is closed";
    ASSERT_TRUE(image.IsOk()) << scale;
    image.SaveFile(
        std::string(TF_TEST_OUTPUT_DIR) + "/scale/setup-sheet-scale" + scaleText + ".png",
        wxBITMAP_TYPE_PNG);
    EXPECT_EQ(image.GetWidth(), sheets[0].GetWidth() * scale) << scale;
    EXPECT_EQ(image.GetHeight(), sheets[0].GetHeight() * scale) << scale;
  }
}

}  // namespace
