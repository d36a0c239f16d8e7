// The four panels and the push button, painted from the built-in skin into an
// image and compared pixel by pixel. Runs under Xvfb.
#include <gtest/gtest.h>
#include <wx/frame.h>

#include <cstdlib>
#include <string>

#include "skin/PanelGeometry.h"
#include "skin/SkinLoader.h"
#include "skin/ui/SkinBitmaps.h"
#include "skin/ui/SkinPanels.h"
#include "skin/ui/TransButton.h"
#include "tests/support/BuiltinSkinTest.h"
#include "tests/support/PaintedImage.h"
#include "tests/support/WxTestEnvironment.h"

namespace {

constexpr int kFaceW = 275;
constexpr int kFaceH = 220;

class SkinPanels : public BuiltinSkinTest {
 protected:
  // The first and last columns of `box` that hold yellow ink (the built-in
  // text colour, antialiased), or {-1, -1}.
  static std::pair<int, int> InkColumns(const wxImage& image, const PanelRect& box) {
    int first = -1, last = -1;
    for (int x = box.x; x < box.Right(); ++x)
      for (int y = box.y; y < box.Bottom(); ++y)
        if (image.GetRed(x, y) > 96 && image.GetBlue(x, y) < 64) {
          if (first < 0) first = x;
          last = x;
          break;
        }
    return {first, last};
  }

  // Whether the ring of pixels just outside `box` is untouched.
  static bool NothingOutside(const wxImage& image, const PanelRect& box) {
    for (int x = box.x - 1; x <= box.Right(); ++x)
      if (PixelAt(image, x, box.y - 1) != kUnpainted ||
          PixelAt(image, x, box.Bottom()) != kUnpainted)
        return false;
    for (int y = box.y; y < box.Bottom(); ++y)
      if (PixelAt(image, box.x - 1, y) != kUnpainted ||
          PixelAt(image, box.Right(), y) != kUnpainted)
        return false;
    return true;
  }
};

TEST_F(SkinPanels, ProgressShowsTheFilledStripLeftOfTheFill) {
  const SkinPicture& bar = GetSkin().progress;
  const PanelRect box = ProgressPanelRect(GetSkin());
  for (auto [percent, filled] : {std::pair{0, 0}, {50, 100}, {100, 200}}) {
    const wxImage image =
        PaintedImage(kFaceW, kFaceH, [&](wxDC& dc) { PaintProgressPanel(dc, percent); });
    int wrong = 0;
    for (int x = 0; x < box.w; ++x)
      for (int y = 0; y < box.h; ++y)
        wrong +=
            PixelAt(image, box.x + x, box.y + y) != bar.bitmap.At(x, x < filled ? y : y + box.h);
    EXPECT_EQ(wrong, 0) << percent << "%";
    EXPECT_TRUE(NothingOutside(image, box)) << percent << "%";
  }
  ASSERT_NE(bar.bitmap.At(0, 5), bar.bitmap.At(0, 15))
      << "the strips differ, so the test can tell them apart";
}

TEST_F(SkinPanels, IndicatorFrameSevenIsTheBottomBlock) {
  const SkinPicture& indicator = GetSkin().indicator;
  const PanelRect box = IndicatorPanelRect(GetSkin());
  const wxImage image = PaintedImage(kFaceW, kFaceH, [](wxDC& dc) { PaintIndicatorPanel(dc, 7); });
  int wrong = 0;
  for (int x = 0; x < box.w; ++x)
    for (int y = 0; y < box.h; ++y)
      wrong += PixelAt(image, box.x + x, box.y + y) != indicator.bitmap.At(x, 70 + y);
  EXPECT_EQ(wrong, 0);
  EXPECT_TRUE(NothingOutside(image, box));
}

TEST_F(SkinPanels, StatusTextIsCentredAndCutOnBothSides) {
  const PanelRect box = StatusPanelRect(GetSkin());
  const wxImage wide =
      PaintedImage(kFaceW, kFaceH, [](wxDC& dc) { PaintStatusPanel(dc, "WWWWWWWWWWWW"); });
  EXPECT_TRUE(NothingOutside(wide, box));
  const auto [first, last] = InkColumns(wide, box);
  EXPECT_LE(first, box.x + 1) << "cut on the left";
  EXPECT_GE(last, box.Right() - 2) << "cut on the right";

  const wxImage narrow = PaintedImage(kFaceW, kFaceH, [](wxDC& dc) { PaintStatusPanel(dc, "OK"); });
  const auto [left, right] = InkColumns(narrow, box);
  ASSERT_GE(left, box.x);
  EXPECT_LE(std::abs((left - box.x) - (box.Right() - 1 - right)), 2) << left << ".." << right;
  EXPECT_EQ(PixelAt(narrow, box.x, box.Bottom() - 1), GetSkin().status.bgColor)
      << "the box is filled";
}

TEST_F(SkinPanels, CurrentFileTextStartsAtTheBoxAndIsCutAtItsEdge) {
  const PanelRect box = CurrentFilePanelRect(GetSkin());
  const std::string longName(80, 'M');
  const wxImage image =
      PaintedImage(kFaceW, kFaceH, [&](wxDC& dc) { PaintCurrentFilePanel(dc, longName); });
  EXPECT_TRUE(NothingOutside(image, box));
  const auto [first, last] = InkColumns(image, box);
  EXPECT_GE(first, box.x);
  EXPECT_LE(first, box.x + 2) << "no centring, no indent";
  EXPECT_GE(last, box.Right() - 3) << "no ellipsis: cut where the box ends";

  const wxImage empty =
      PaintedImage(kFaceW, kFaceH, [](wxDC& dc) { PaintCurrentFilePanel(dc, ""); });
  int background = 0;
  for (int x = box.x; x < box.Right(); ++x)
    for (int y = box.y; y < box.Bottom(); ++y)
      background += PixelAt(empty, x, y) == GetSkin().currentFile.bgColor;
  EXPECT_EQ(background, box.w * box.h) << "an empty text fills the whole box";
}

TEST_F(SkinPanels, ButtonShowsItsPressedHalfWhileHeld) {
  const PixelImage& picture = GetSkin().close.bitmap;  // 13 x 26
  auto* frame = new wxFrame(nullptr, wxID_ANY, "buttons", wxDefaultPosition, wxSize(100, 100));
  auto* face =
      new wxWindow(frame, wxID_ANY);  // a frame stretches its only child; the face takes that
  auto* button = new CTransButton;
  ASSERT_TRUE(button->Create(picture, 5, 6, face, 101));
  EXPECT_EQ(button->GetSize(), wxSize(13, 13));
  EXPECT_EQ(button->GetPosition(), wxPoint(5, 6));
  int clicks = 0;
  frame->Bind(
      wxEVT_BUTTON, [&](wxCommandEvent&) { ++clicks; }, 101);
  frame->Show();

  auto halfShown = [&](int top) {
    const wxImage image = PaintedImage(13, 13, [&](wxDC& dc) { button->DrawTo(dc); });
    int wrong = 0;
    for (int x = 0; x < 13; ++x)
      for (int y = 0; y < 13; ++y) wrong += PixelAt(image, x, y) != picture.At(x, top + y);
    return wrong == 0;
  };
  auto mouse = [&](wxEventType type, int x, int y) {
    wxMouseEvent event(type);
    event.SetPosition(wxPoint(x, y));
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
  };

  EXPECT_TRUE(halfShown(0)) << "released: the upper half";
  mouse(wxEVT_LEFT_DOWN, 3, 3);
  EXPECT_TRUE(halfShown(13)) << "held: the lower half";
  mouse(wxEVT_MOTION, 40, 3);
  EXPECT_TRUE(halfShown(0)) << "held with the pointer outside";
  mouse(wxEVT_MOTION, 6, 6);
  mouse(wxEVT_LEFT_UP, 6, 6);
  EXPECT_TRUE(halfShown(0));
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(button->HasCapture());

  mouse(wxEVT_LEFT_DOWN, 3, 3);
  mouse(wxEVT_LEFT_UP, 40, 40);
  EXPECT_EQ(clicks, 1) << "released outside: no click";

  auto key = [&](wxEventType type) {
    wxKeyEvent event(type);
    event.m_keyCode = WXK_SPACE;
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
  };
  key(wxEVT_KEY_DOWN);
  EXPECT_TRUE(halfShown(13)) << "Space holds it";
  key(wxEVT_KEY_DOWN);  // the key repeats
  key(wxEVT_KEY_UP);
  EXPECT_TRUE(halfShown(0));
  EXPECT_EQ(clicks, 2);
  frame->Destroy();
}

}  // namespace
