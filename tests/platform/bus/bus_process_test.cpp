// The desktop bus between separate processes: the player test double plays
// the other process.

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <filesystem>

#include "platform/bus/BusFolder.h"
#include "platform/bus/BusFrame.h"
#include "platform/bus/BusSocket.h"
#include "platform/bus/DesktopBus.h"
#include "tests/support/PlayerDouble.h"
#include "tests/support/ScratchFolder.h"

namespace {

PlayerDoubleOptions Window(std::string className, std::string title,
                           WindowVisibility visibility = WindowVisibility::Shown) {
  PlayerDoubleOptions options;
  options.className = std::move(className);
  options.title = std::move(title);
  options.visibility = visibility;
  return options;
}

std::string BusFolderPath() { return OpenBusFolder().path; }

// Sends raw bytes to a window's socket and returns the reply status, or
// nothing when the receiver closed without a reply.
std::optional<ReplyStatus> SendRawBytes(BusWindowHandle window, std::string_view bytes) {
  ConnectResult connection = ConnectToSocket(SocketPath(BusFolderPath(), window),
                                             BusClock::now() + std::chrono::seconds(5));
  if (connection.outcome != ConnectOutcome::Connected) return std::nullopt;
  const auto deadline = BusClock::now() + std::chrono::seconds(5);
  if (SendAll(connection.socket.Get(), bytes.data(), bytes.size(), deadline) != IoOutcome::Done)
    return std::nullopt;
  shutdown(connection.socket.Get(), SHUT_WR);  // a truncated frame ends here
  std::array<std::uint8_t, kReplySize> reply{};
  if (ReadExact(connection.socket.Get(), reply.data(), reply.size(), deadline) != IoOutcome::Done)
    return std::nullopt;
  const DecodedReply decoded = DecodeReply(reply);
  return decoded.wellFormed ? std::optional(decoded.status) : std::nullopt;
}

}  // namespace

TEST(BusBetweenProcesses, FindsTheFirstWindowByExactClassOrTitleHiddenOnesIncluded) {
  PlayerDouble first(Window("Winamp v1.x", "QEM - Tunefetch"));
  PlayerDouble hidden(Window("Other", "QEM - Tunefetch Setup", WindowVisibility::Hidden));
  PlayerDouble third(Window("Winamp v1.x", "QEM - Tunefetch Setup"));
  ASSERT_TRUE(first.Window() && hidden.Window() && third.Window());
  EXPECT_LT(first.Window(), hidden.Window());
  EXPECT_LT(hidden.Window(), third.Window());

  EXPECT_EQ(FindWindowByClass("Winamp v1.x"), first.Window());
  EXPECT_EQ(FindWindowByTitle("QEM - Tunefetch Setup"), hidden.Window());
  EXPECT_EQ(FindWindowByTitle("QEM - Tunefetch"), first.Window());
  EXPECT_FALSE(FindWindowByTitle("qem - tunefetch"));  // exact bytes, case counts
  EXPECT_FALSE(FindWindowByTitle("QEM - Tunefetch "));
  EXPECT_FALSE(FindWindowByClass("Winamp"));

  const std::vector<BusWindowInfo> windows = EnumerateWindows();
  ASSERT_EQ(windows.size(), 3u);
  EXPECT_EQ(windows[1].visibility, WindowVisibility::Hidden);
  EXPECT_EQ(windows[1].pid, hidden.Pid());
}

TEST(BusBetweenProcesses, AnEntryOfADeadProcessIsSkippedAndRemoved) {
  PlayerDouble crashed(Window("Winamp v1.x", "crashed"));
  PlayerDouble living(Window("Winamp v1.x", "living"));
  ASSERT_TRUE(crashed.Window() && living.Window());
  const BusWindowHandle gone = crashed.Window();
  crashed.Kill();
  ASSERT_TRUE(std::filesystem::exists(EntryPath(BusFolderPath(), gone)));

  EXPECT_EQ(FindWindowByClass("Winamp v1.x"), living.Window());
  EXPECT_FALSE(std::filesystem::exists(EntryPath(BusFolderPath(), gone)));
  EXPECT_FALSE(std::filesystem::exists(SocketPath(BusFolderPath(), gone)));
  EXPECT_EQ(SendMessage(gone, WM_USER, 0, 104).error, BusError::NoWindow);
}

TEST(BusBetweenProcesses, SendMessageReturnsAfterTheHandlerRanWithItsResult) {
  ScratchFolder scratch;
  PlayerDoubleOptions options;
  options.playing = true;
  options.logPath = scratch / "log";
  options.answerDelayMs = 300;
  PlayerDouble player(options);
  ASSERT_TRUE(player.Window());

  const BusSendResult answer = SendMessage(player.Window(), WM_USER, 0, 104);
  ASSERT_TRUE(answer.Delivered());
  EXPECT_EQ(answer.value, 1);
  // The double logs after its delay, so the line exists only if the send waited.
  ASSERT_EQ(player.LogLines().size(), 1u);
  EXPECT_EQ(player.LogLines()[0],
            "message=1024 wparam=0 lparam=104 kind=0 data= result=1 playing=1 playlist=0");
}

TEST(BusBetweenProcesses, CopyDataBytesArriveExactly) {
  ScratchFolder scratch;
  PlayerDoubleOptions options;
  options.logPath = scratch / "log";
  PlayerDouble player(options);
  ASSERT_TRUE(player.Window());

  std::string everyByte;
  std::string expectedHex;
  for (int value = 0; value < 256; ++value) {
    everyByte += static_cast<char>(value);
    static constexpr char kDigits[] = "0123456789abcdef";
    expectedHex += {kDigits[value >> 4], kDigits[value & 15]};
  }
  ASSERT_TRUE(SendCopyData(player.Window(), 7, 33, everyByte).Delivered());
  ASSERT_TRUE(SendCopyData(player.Window(), 0, 33, std::string(kMaxFrameData, 'x')).Delivered());
  EXPECT_EQ(SendCopyData(player.Window(), 0, 33, std::string(kMaxFrameData + 1, 'x')).error,
            BusError::BadArgument);

  const std::vector<std::string> lines = player.LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "message=74 wparam=7 lparam=0 kind=33 data=" + expectedHex +
                          " result=0 playing=0 playlist=0");
  EXPECT_NE(lines[1].find(" kind=33 data=7878"), std::string::npos);
}

TEST(BusBetweenProcesses, MalformedFramesAreRefusedAndTheReceiverKeepsServing) {
  PlayerDouble player(PlayerDoubleOptions{});
  ASSERT_TRUE(player.Window());
  const std::string good = EncodeRequest(FrameType::Send, BusMessage{WM_USER, 0, 104, 0, {}});

  std::string badMagic = good;
  badMagic[0] = 'X';
  std::string badType = good;
  badType[4] = 9;
  std::string oversized = EncodeRequest(FrameType::Send, BusMessage{WM_COPYDATA, 0, 0, 100, {}});
  oversized[32] = 0x01;
  oversized[34] = 0x01;  // 65537 bytes announced
  std::string dataOnPlainMessage =
      EncodeRequest(FrameType::Send, BusMessage{WM_COPYDATA, 0, 0, 0, "ab"});
  dataOnPlainMessage[8] = 0x00;
  dataOnPlainMessage[9] = 0x04;  // WM_USER with two data bytes

  EXPECT_EQ(SendRawBytes(player.Window(), badMagic), ReplyStatus::Refused);
  EXPECT_EQ(SendRawBytes(player.Window(), badType), ReplyStatus::Refused);
  EXPECT_EQ(SendRawBytes(player.Window(), oversized), ReplyStatus::Refused);
  EXPECT_EQ(SendRawBytes(player.Window(), dataOnPlainMessage), ReplyStatus::Refused);
  EXPECT_EQ(SendRawBytes(player.Window(), std::string(2000, '\xff')), ReplyStatus::Refused);
  EXPECT_EQ(SendRawBytes(player.Window(), good.substr(0, 20)), std::nullopt);  // truncated: dropped
  EXPECT_EQ(SendRawBytes(player.Window(), good), ReplyStatus::Handled);

  const BusSendResult answer = SendMessage(player.Window(), WM_USER, 0, 104);
  EXPECT_TRUE(answer.Delivered());
  EXPECT_TRUE(player.Stop());
}

TEST(BusBetweenProcesses, AReceiverThatDoesNotAnswerInTimeGivesATimeout) {
  PlayerDoubleOptions options;
  options.answerDelayMs = 1500;
  PlayerDouble slow(options);
  ASSERT_TRUE(slow.Window());
  const auto started = BusClock::now();
  EXPECT_EQ(SendMessage(slow.Window(), WM_USER, 0, 104, std::chrono::milliseconds(200)).error,
            BusError::Timeout);
  EXPECT_LT(BusClock::now() - started, std::chrono::milliseconds(1200));
}

TEST(BusBetweenProcesses, PostedCloseEndsTheReceiverAndItsEntryGoes) {
  PlayerDouble player(PlayerDoubleOptions{});
  ASSERT_TRUE(player.Window());
  const BusWindowHandle window = player.Window();
  EXPECT_TRUE(player.Stop());
  EXPECT_FALSE(FindWindowByClass("Winamp v1.x"));
  EXPECT_FALSE(std::filesystem::exists(EntryPath(BusFolderPath(), window)));
  EXPECT_EQ(PostMessage(window, WM_CLOSE, 0, 0), BusError::NoWindow);
}
