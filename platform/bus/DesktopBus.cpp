#include "platform/bus/DesktopBus.h"

#include "platform/bus/BusFolder.h"
#include "platform/bus/BusFrame.h"
#include "platform/bus/BusSocket.h"
#include "platform/bus/BusWindow.h"

namespace {

BusError ToBusError(IoOutcome outcome) {
  switch (outcome) {
    case IoOutcome::Done:
      return BusError::None;
    case IoOutcome::Closed:
      return BusError::NoReply;
    case IoOutcome::TimedOut:
      return BusError::Timeout;
    case IoOutcome::Failed:
      return BusError::IoError;
  }
  return BusError::IoError;
}

// A probe only needs the listen queue to take the connection.
constexpr std::chrono::milliseconds kProbeLimit{200};

// True when something still listens on the window's socket; a window whose
// socket is gone has its entry removed.
bool IsListening(const std::string& folder, BusWindowHandle handle) {
  const ConnectResult probe =
      ConnectToSocket(SocketPath(folder, handle), BusClock::now() + kProbeLimit);
  if (probe.outcome != ConnectOutcome::NoListener) return true;
  RemoveWindowEntry(folder, handle);
  return false;
}

template <typename Matches>
BusWindowHandle FindFirst(Matches matches) {
  const BusFolderResult folder = OpenBusFolder();
  if (folder.error != BusError::None) return {};
  for (const BusWindowInfo& info : ListWindowEntries(folder.path, folder.stamp)) {
    if (matches(info) && IsListening(folder.path, info.handle)) return info.handle;
  }
  return {};
}

// Connects to `window` and writes the request frame; `connection` stays open
// for the reply.
BusError Deliver(FrameType type, BusWindowHandle window, const BusMessage& message,
                 BusClock::time_point deadline, FileDescriptor& connection) {
  const BusFolderResult folder = OpenBusFolder();
  if (folder.error != BusError::None) return folder.error;
  ConnectResult connected = ConnectToSocket(SocketPath(folder.path, window), deadline);
  switch (connected.outcome) {
    case ConnectOutcome::Connected:
      break;
    case ConnectOutcome::NoListener:
      RemoveWindowEntry(folder.path, window);
      return BusError::NoWindow;
    case ConnectOutcome::TimedOut:
      return BusError::Timeout;
    case ConnectOutcome::Failed:
      return BusError::IoError;
  }
  connection = std::move(connected.socket);
  const std::string frame = EncodeRequest(type, message);
  return ToBusError(SendAll(connection.Get(), frame.data(), frame.size(), deadline));
}

bool FitsFrame(const BusMessage& message) {
  if (message.message == WM_COPYDATA) return message.data.size() <= kMaxFrameData;
  return message.data.empty() && message.dataKind == 0;
}

}  // namespace

std::vector<BusWindowInfo> EnumerateWindows() {
  const BusFolderResult folder = OpenBusFolder();
  if (folder.error != BusError::None) return {};
  return ListWindowEntries(folder.path, folder.stamp);
}

BusWindowHandle FindWindowByClass(std::string_view className) {
  return FindFirst([className](const BusWindowInfo& info) { return info.className == className; });
}

BusWindowHandle FindWindowByTitle(std::string_view title) {
  return FindFirst([title](const BusWindowInfo& info) { return info.title == title; });
}

BusSendResult SendBusMessage(BusWindowHandle window, const BusMessage& message,
                             std::chrono::milliseconds timeout) {
  if (!window) return {BusError::NoWindow, 0};
  if (!FitsFrame(message)) return {BusError::BadArgument, 0};
  if (const auto inlineResult = BusWindow::HandleInlineIfOwnThread(window, message))
    return {BusError::None, *inlineResult};

  const auto deadline = BusClock::now() + timeout;
  FileDescriptor connection;
  // A receiver refuses a frame on its header and closes without reading the
  // data, so the write of the data can fail (EPIPE, ECONNRESET) although the
  // refusal is waiting to be read: look for it before reporting "no reply".
  if (const BusError error = Deliver(FrameType::Send, window, message, deadline, connection);
      error != BusError::None && !(error == BusError::NoReply && connection.IsOpen()))
    return {error, 0};

  std::array<std::uint8_t, kReplySize> replyBytes{};
  if (const BusError error =
          ToBusError(ReadExact(connection.Get(), replyBytes.data(), replyBytes.size(), deadline));
      error != BusError::None)
    return {error, 0};
  const DecodedReply reply = DecodeReply(replyBytes);
  if (!reply.wellFormed) return {BusError::IoError, 0};
  if (reply.status == ReplyStatus::Refused) return {BusError::Refused, 0};
  return {BusError::None, reply.result};
}

BusSendResult SendMessage(BusWindowHandle window, std::uint32_t message, std::uint64_t wParam,
                          std::int64_t lParam, std::chrono::milliseconds timeout) {
  return SendBusMessage(window, BusMessage{message, wParam, lParam, 0, {}}, timeout);
}

BusSendResult SendCopyData(BusWindowHandle window, std::uint64_t wParam, std::uint32_t kind,
                           std::string_view bytes, std::chrono::milliseconds timeout) {
  return SendBusMessage(window, BusMessage{WM_COPYDATA, wParam, 0, kind, std::string(bytes)},
                        timeout);
}

namespace {

BusError PostBusMessage(BusWindowHandle window, const BusMessage& message) {
  if (!window) return BusError::NoWindow;
  FileDescriptor connection;
  return Deliver(FrameType::Post, window, message, BusClock::now() + kDefaultReplyTimeout,
                 connection);
}

}  // namespace

BusError PostMessage(BusWindowHandle window, std::uint32_t message, std::uint64_t wParam,
                     std::int64_t lParam) {
  return PostBusMessage(window, BusMessage{message, wParam, lParam, 0, {}});
}

BusError PostCopyData(BusWindowHandle window, std::uint64_t wParam, std::uint32_t kind,
                      std::string_view bytes) {
  return PostBusMessage(window, BusMessage{WM_COPYDATA, wParam, 0, kind, std::string(bytes)});
}
