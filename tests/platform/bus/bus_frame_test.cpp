// The wire format byte for byte, as docs/desktop-bus.md lays it out, so a
// bridge written elsewhere and this program agree.

#include <gtest/gtest.h>

#include "platform/bus/BusFrame.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

std::array<std::uint8_t, kRequestHeaderSize> HeaderOf(const std::string& frame) {
  std::array<std::uint8_t, kRequestHeaderSize> header{};
  std::copy_n(frame.begin(), header.size(), header.begin());
  return header;
}

}  // namespace

TEST(BusFrame, ARequestIsLaidOutLittleEndianAsDocumented) {
  const std::string frame =
      EncodeRequest(FrameType::Send,
                    BusMessage{WM_COPYDATA, 0x0102030405060708u, -2, 100, std::string("a\0", 2)});
  const std::string expected = Bytes(
      {'T', 'F', 'B', '1', 1, 0,    0,    0,    0x4A, 0,    0,    0,    100,  0, 0, 0, 8, 7,   6,
       5,   4,   3,   2,   1, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 'a', 0});
  EXPECT_EQ(frame, expected);

  RequestHeader header;
  ASSERT_EQ(DecodeRequestHeader(HeaderOf(frame), header), FrameCheck::Ok);
  EXPECT_EQ(header.type, FrameType::Send);
  EXPECT_EQ(header.message.message, WM_COPYDATA);
  EXPECT_EQ(header.message.wParam, 0x0102030405060708u);
  EXPECT_EQ(header.message.lParam, -2);
  EXPECT_EQ(header.message.dataKind, 100u);
  EXPECT_EQ(header.dataLength, 2u);
}

TEST(BusFrame, HeadersBreakingTheRulesAreNamed) {
  const std::string plain = EncodeRequest(FrameType::Post, BusMessage{WM_USER, 0, 101, 0, {}});
  struct Case {
    std::size_t offset;
    int value;
    FrameCheck expected;
  } cases[] = {
      {0, 'X', FrameCheck::BadMagic},      {4, 0, FrameCheck::BadType},
      {4, 3, FrameCheck::BadType},         {12, 1, FrameCheck::DataNotAllowed},
      {32, 1, FrameCheck::DataNotAllowed},
  };
  for (const Case& item : cases) {
    std::string frame = plain;
    frame[item.offset] = static_cast<char>(item.value);
    RequestHeader header;
    EXPECT_EQ(DecodeRequestHeader(HeaderOf(frame), header), item.expected)
        << "offset " << item.offset;
  }

  std::string copyData = EncodeRequest(FrameType::Send, BusMessage{WM_COPYDATA, 0, 0, 100, {}});
  RequestHeader header;
  copyData[34] = 1;  // 65536: the largest record
  EXPECT_EQ(DecodeRequestHeader(HeaderOf(copyData), header), FrameCheck::Ok);
  copyData[32] = 1;  // 65537
  EXPECT_EQ(DecodeRequestHeader(HeaderOf(copyData), header), FrameCheck::TooLong);
}

TEST(BusFrame, RepliesRoundTripAndForeignBytesAreNotAReply) {
  const auto reply = EncodeReply(ReplyStatus::Handled, -5);
  EXPECT_EQ(
      std::string(reply.begin(), reply.end()),
      Bytes({'T', 'F', 'R', '1', 0, 0, 0, 0, 0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  const DecodedReply decoded = DecodeReply(reply);
  EXPECT_TRUE(decoded.wellFormed);
  EXPECT_EQ(decoded.status, ReplyStatus::Handled);
  EXPECT_EQ(decoded.result, -5);

  auto unknownStatus = reply;
  unknownStatus[4] = 7;
  EXPECT_FALSE(DecodeReply(unknownStatus).wellFormed);
  auto foreign = reply;
  foreign[3] = '2';
  EXPECT_FALSE(DecodeReply(foreign).wellFormed);
}
