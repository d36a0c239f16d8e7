#include <gtest/gtest.h>

#include <string>

#include "core/Base64.h"

namespace {

TEST(Base64Encode, KnownVectorsWithPadding) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {"user:", "dXNlcjo="},
      {std::string("\xfb\xff\xbf\x00", 4), "+/+/AA=="},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(Base64Encode(bytes), text) << bytes;
}

TEST(Base64Encode, LongestInputFitsTheHeaderWithoutLineBreaks) {
  const std::string text = Base64Encode(std::string(kMaxBase64Input, 'x'));
  EXPECT_EQ(text.size(), 2044u);
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
}

}  // namespace
