// The panels' boxes and the parts of their pictures they show, and the press
// logic of the skinned buttons.
#include <gtest/gtest.h>

#include "skin/PanelGeometry.h"
#include "skin/PushButtonState.h"
#include "skin/SkinLoader.h"

namespace {

TEST(PanelGeometry, BuiltinBoxes) {
  Skin skin;
  ASSERT_TRUE(SetDefaultSkin(skin, 96));
  EXPECT_EQ(CurrentFilePanelRect(skin), (PanelRect{22, 28, 200, 10}));
  EXPECT_EQ(StatusPanelRect(skin), (PanelRect{227, 44, 30, 10}));
  EXPECT_EQ(ProgressPanelRect(skin), (PanelRect{22, 44, 200, 10}));
  EXPECT_EQ(IndicatorPanelRect(skin), (PanelRect{227, 28, 30, 10}));
}

TEST(PanelGeometry, ProgressFillsInWholeStepsPerPercent) {
  struct Case {
    int percent, width, want;
  } cases[] = {
      {0, 200, 0},     {1, 200, 2},     {50, 200, 100},
      {100, 200, 200}, {100, 150, 100},  // 1 pixel per percent: never full
      {99, 99, 0},                       // narrower than 100: never moves
      {-5, 200, 0},    {250, 200, 200},  // out of range: the nearer end, never past the bar
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProgressFilledWidth(c.percent, c.width), c.want) << c.percent << "/" << c.width;
}

TEST(PanelGeometry, IndicatorFrameAndCentredText) {
  EXPECT_EQ(IndicatorFrameTop(0, 80), 0);
  EXPECT_EQ(IndicatorFrameTop(7, 80), 70);
  EXPECT_EQ(IndicatorFrameTop(8, 80), 70) << "never below the last frame";
  EXPECT_EQ(IndicatorFrameTop(-1, 80), 0);
  EXPECT_EQ(IndicatorFrameTop(3, 84), 30) << "frames of 84 / 8 = 10 rows";

  EXPECT_EQ(CentredTextLeft(227, 30, 10), 237);
  EXPECT_EQ(CentredTextLeft(227, 30, 40), 222) << "wider than the box: starts left of it";
  EXPECT_EQ(CentredTextLeft(227, 30, 30), 227);
}

TEST(PushButton, PressedOnlyWhileHeldOverItAndClickedOnlyWhenReleasedThere) {
  using enum ButtonHold;
  PushButtonState button;
  EXPECT_EQ(button.Look(), ButtonLook::Released);
  button.OnPress(Mouse);
  EXPECT_EQ(button.Look(), ButtonLook::Pressed);
  button.OnMove(false);
  EXPECT_EQ(button.Look(), ButtonLook::Released) << "held, pointer outside";
  button.OnMove(true);
  EXPECT_EQ(button.Look(), ButtonLook::Pressed);
  EXPECT_FALSE(button.OnRelease(Key, true)) << "the key does not end a mouse hold";
  EXPECT_TRUE(button.OnRelease(Mouse, true));
  EXPECT_EQ(button.Look(), ButtonLook::Released);
  EXPECT_FALSE(button.OnRelease(Mouse, true)) << "a release without a press is no click";

  button.OnPress(Mouse);
  EXPECT_FALSE(button.OnRelease(Mouse, false)) << "released outside";
  button.OnPress(Mouse);
  button.OnCancel();
  EXPECT_EQ(button.Hold(), None);
  EXPECT_FALSE(button.OnRelease(Mouse, true)) << "the capture was lost";

  button.OnPress(Key);
  button.OnMove(false);
  EXPECT_EQ(button.Look(), ButtonLook::Pressed) << "the pointer does not matter to a key hold";
  button.OnPress(Mouse);
  EXPECT_FALSE(button.OnRelease(Mouse, true)) << "one hold at a time";
  EXPECT_TRUE(button.OnRelease(Key, true));

  EXPECT_EQ(ButtonSourceTop(ButtonLook::Released, 26), 0);
  EXPECT_EQ(ButtonSourceTop(ButtonLook::Pressed, 26), 13);
  EXPECT_EQ(ButtonSourceTop(ButtonLook::Pressed, 27), 13);
}

}  // namespace
