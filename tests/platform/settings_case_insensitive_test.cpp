// Names compare without regard to case for ASCII letters only.
#include <gtest/gtest.h>

#include "platform/CaseInsensitive.h"

namespace {

TEST(CaseInsensitiveTest, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(EqualsIgnoringCase("Auto_Play", "AUTO_PLAY"));
  EXPECT_FALSE(EqualsIgnoringCase("AUTO_PLAY", "AUTO_PLAYS"));
  EXPECT_FALSE(EqualsIgnoringCase("[", "{")) << "only letters fold";
  EXPECT_FALSE(EqualsIgnoringCase("\xC3\x89", "\xC3\xA9")) << "É and é are different names";
  EXPECT_TRUE(StartsWithIgnoringCase("English UK", "english"));
  EXPECT_TRUE(EndsWithIgnoringCase("Take Five.MP3", ".mp3"));
  EXPECT_FALSE(EndsWithIgnoringCase("mp3", ".mp3"));
}

TEST(CaseInsensitiveTest, OrdersByFoldedLettersShorterFirst) {
  EXPECT_TRUE(LessIgnoringCase("apple", "Banana"));
  EXPECT_FALSE(LessIgnoringCase("Banana", "apple"));
  EXPECT_TRUE(LessIgnoringCase("English", "english UK"));
  EXPECT_FALSE(LessIgnoringCase("ENGLISH", "english"));
  EXPECT_TRUE(LessIgnoringCase("z", "\xC3\xA9")) << "bytes above 0x7F sort after ASCII";
}

}  // namespace
