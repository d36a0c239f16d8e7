#pragma once
// A window test whose suite paints with the built-in skin at 96 dpi: the
// skin is loaded before the first test and its pictures and fonts freed
// after the last, wx objects included. Only tests under a ui/ folder use it.

#include <gtest/gtest.h>

#include "skin/SkinLoader.h"
#include "skin/ui/SkinBitmaps.h"

class BuiltinSkinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    FreeSkinBitmaps();
    ASSERT_TRUE(SetDefaultSkin(GetSkin(), 96));
  }
  static void TearDownTestSuite() {
    FreeSkinBitmaps();
    FreeSkin(GetSkin());
  }
};
