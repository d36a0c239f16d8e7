// Peers that do not play by the rules: senders that stall or flood, a GUI
// thread too busy to run jobs.

#include <dirent.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <future>
#include <vector>

#include "platform/bus/BusFolder.h"
#include "platform/bus/BusFrame.h"
#include "platform/bus/BusSocket.h"
#include "platform/bus/BusWindow.h"
#include "platform/bus/DesktopBus.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestBusWindow.h"
#include "tests/support/ThreadDispatcher.h"

namespace {

std::unique_ptr<BusWindow> MakeWindow(BusDispatcher* dispatcher = nullptr) {
  return MakeTestWindow(
      "peer", [](const BusMessage& message) { return message.lParam + 1; }, dispatcher);
}

FileDescriptor Connect(BusWindowHandle window) {
  ConnectResult connected = ConnectToSocket(SocketPath(OpenBusFolder().path, window),
                                            BusClock::now() + std::chrono::seconds(5));
  EXPECT_EQ(connected.outcome, ConnectOutcome::Connected);
  return std::move(connected.socket);
}

// True when the receiver has closed `connection` (it reads end of file).
bool ClosedByPeer(const FileDescriptor& connection) {
  pollfd entry{connection.Get(), POLLIN, 0};
  char byte = 0;
  return poll(&entry, 1, 0) == 1 && recv(connection.Get(), &byte, 1, MSG_DONTWAIT) == 0;
}

std::size_t OpenDescriptors() {
  std::size_t count = 0;
  if (DIR* listing = opendir("/proc/self/fd")) {
    while (readdir(listing)) ++count;
    closedir(listing);
  }
  return count;
}

}  // namespace

// Each stalled sender used to hold the receiver for a second, so ten of them
// made an honest send time out; a flood of silent ones filled the listen queue.
TEST(BusPeer, StalledAndSilentSendersHoldUpOnlyThemselves) {
  auto window = MakeWindow();
  ASSERT_TRUE(window);
  const std::string frame = EncodeRequest(FrameType::Send, BusMessage{WM_USER, 0, 1, 0, {}});
  std::vector<FileDescriptor> hostile;
  for (int i = 0; i < 200; ++i) {
    hostile.push_back(Connect(window->Handle()));
    if (i % 2 == 0) {
      ASSERT_EQ(SendAll(hostile.back().Get(), frame.data(), frame.size() / 2, BusClock::now()),
                IoOutcome::Done);
    }
  }
  const BusSendResult honest = SendMessage(window->Handle(), WM_USER, 0, 41);
  EXPECT_EQ(honest.error, BusError::None);
  EXPECT_EQ(honest.value, 42);

  // The oldest incomplete connections were closed to make room; at most a
  // bounded number stays open, and those go once their second is up.
  std::size_t closed = 0;
  for (const FileDescriptor& each : hostile) closed += ClosedByPeer(each);
  EXPECT_GE(closed, hostile.size() - 32);
  EXPECT_TRUE(WaitUntil([&] {
    for (const FileDescriptor& each : hostile)
      if (!ClosedByPeer(each)) return false;
    return true;
  }));
}

TEST(BusPeer, ABusyDispatcherQueuesABoundedNumberOfJobsAndHoldsNoDescriptorForAPost) {
  ThreadDispatcher busy(ThreadDispatcher::Mode::Hold);
  auto window = MakeWindow(&busy);
  ASSERT_TRUE(window);
  const std::size_t before = OpenDescriptors();
  for (int i = 0; i < 100; ++i)
    EXPECT_EQ(PostMessage(window->Handle(), WM_USER, 0, i), BusError::None);
  EXPECT_TRUE(WaitUntil([&] { return busy.HeldJobs() == 64; }));
  EXPECT_TRUE(WaitUntil([&] { return OpenDescriptors() <= before; }));

  // Beyond the bound a send is dropped at once rather than left to time out.
  EXPECT_EQ(SendMessage(window->Handle(), WM_USER, 0, 0, std::chrono::seconds(30)).error,
            BusError::NoReply);
  EXPECT_EQ(busy.HeldJobs(), 64u);
  busy.DropHeldJobs();
  auto queued = std::async(std::launch::async,
                           [&] { return SendMessage(window->Handle(), WM_USER, 0, 0).error; });
  EXPECT_TRUE(
      WaitUntil([&] { return busy.HeldJobs() == 1; }));  // room again once the jobs are gone
  window.reset();
  busy.DropHeldJobs();
  EXPECT_EQ(queued.get(), BusError::NoReply);
}
