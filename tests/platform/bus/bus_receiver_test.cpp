// The receiving side within one process: the dispatcher hook that moves
// handlers to a GUI thread, sends to one's own window, closing with senders
// waiting, and the bus folder's rights.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <future>
#include <mutex>

#include "platform/bus/BusFolder.h"
#include "platform/bus/BusSocket.h"
#include "platform/bus/BusWindow.h"
#include "platform/bus/DesktopBus.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestBusWindow.h"
#include "tests/support/ThreadDispatcher.h"

TEST(BusReceiver, WithADispatcherTheHandlerRunsOnItsThreadAndTheSenderGetsTheResult) {
  ThreadDispatcher gui(ThreadDispatcher::Mode::Run);
  std::thread::id handlerThread;
  auto window = MakeTestWindow(
      "gui",
      [&](const BusMessage& message) {
        handlerThread = std::this_thread::get_id();
        return static_cast<std::int64_t>(message.wParam) * 2;
      },
      &gui);
  ASSERT_TRUE(window);

  const BusSendResult answer = SendMessage(window->Handle(), WM_USER, 21, 0);
  EXPECT_TRUE(answer.Delivered());
  EXPECT_EQ(answer.value, 42);
  EXPECT_EQ(handlerThread, gui.ThreadId());
}

TEST(BusReceiver, ASendToOnesOwnWindowFromItsHandlerThreadRunsInlineWithoutDeadlock) {
  ThreadDispatcher gui(ThreadDispatcher::Mode::Run);
  auto window = MakeTestWindow(
      "self", [](const BusMessage& message) { return message.lParam + 1; }, &gui);
  ASSERT_TRUE(window);
  BusSendResult fromGui;
  gui.RunThere(
      [&] { fromGui = SendMessage(window->Handle(), WM_USER, 0, 9, std::chrono::seconds(2)); });
  EXPECT_TRUE(fromGui.Delivered());
  EXPECT_EQ(fromGui.value, 10);

  // Without a dispatcher the listener thread is the handler thread: a handler
  // that sends to its own window re-enters itself.
  BusWindowHandle self;
  auto nested = MakeTestWindow("nested", [&self](const BusMessage& message) -> std::int64_t {
    if (message.lParam == 0) return 100;
    return SendMessage(self, WM_USER, 0, 0, std::chrono::seconds(2)).value + message.lParam;
  });
  ASSERT_TRUE(nested);
  self = nested->Handle();
  const BusSendResult outer = SendMessage(self, WM_USER, 0, 5);
  EXPECT_TRUE(outer.Delivered());
  EXPECT_EQ(outer.value, 105);
}

TEST(BusReceiver, AHandlerThatNeverRunsTimesOutAndAClosedWindowReleasesItsSenders) {
  ThreadDispatcher stuck(ThreadDispatcher::Mode::Hold);
  auto window = MakeTestWindow(
      "stuck", [](const BusMessage&) { return std::int64_t{1}; }, &stuck);
  ASSERT_TRUE(window);
  EXPECT_EQ(SendMessage(window->Handle(), WM_USER, 0, 0, std::chrono::milliseconds(200)).error,
            BusError::Timeout);

  auto waiting = std::async(std::launch::async, [handle = window->Handle()] {
    return SendMessage(handle, WM_USER, 0, 0, std::chrono::seconds(10)).error;
  });
  for (int tries = 0; tries < 500 && stuck.HeldJobs() < 2; ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(stuck.HeldJobs(), 2u);
  window.reset();
  stuck.DropHeldJobs();  // what a GUI loop does with its pending calls when it ends
  ASSERT_EQ(waiting.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(waiting.get(), BusError::NoReply);
}

TEST(BusReceiver, TitleChangesAndClosingAreSeenByFinders) {
  auto window = MakeTestWindow("before", [](const BusMessage&) { return std::int64_t{0}; });
  ASSERT_TRUE(window);
  EXPECT_EQ(FindWindowByTitle("before"), window->Handle());
  EXPECT_EQ(window->SetTitle("after"), BusError::None);
  EXPECT_FALSE(FindWindowByTitle("before"));
  EXPECT_EQ(FindWindowByTitle("after"), window->Handle());
  EXPECT_EQ(window->SetTitle("two\nlines"), BusError::BadArgument);
  EXPECT_EQ(window->Title(), "after");

  const BusWindowHandle handle = window->Handle();
  window.reset();
  EXPECT_FALSE(FindWindowByTitle("after"));
  EXPECT_EQ(SendMessage(handle, WM_USER, 0, 0).error, BusError::NoWindow);
}

// A regression test: a listener whose wait failed for good left its window
// published, so every sender waited out its whole time limit.
TEST(BusReceiver, AListenerThatCannotWaitAnyMoreUnpublishesItsWindow) {
  auto window = MakeTestWindow("failing", [](const BusMessage&) { return std::int64_t{0}; });
  ASSERT_TRUE(window);
  const std::string folder = OpenBusFolder().path;
  const std::string socketFile = SocketPath(folder, window->Handle());  // removed after the entry
  sockaddr_un address{};
  ASSERT_TRUE(MakeSocketAddress(socketFile, address));
  FileDescriptor caller(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  ASSERT_TRUE(caller.IsOpen());

  // With a descriptor limit of one, the listener's accept fails and its next
  // poll of two descriptors fails with EINVAL. Only calls that need no new
  // descriptor run until the limit is back.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit tight = saved;
  tight.rlim_cur = 1;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  const bool connected =
      connect(caller.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  const bool unpublished =
      WaitUntil([&] { return access(socketFile.c_str(), F_OK) != 0; }, std::chrono::seconds(2));
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);

  EXPECT_TRUE(connected);
  EXPECT_TRUE(unpublished);
  EXPECT_FALSE(FindWindowByTitle("failing"));
  EXPECT_EQ(SendMessage(window->Handle(), WM_USER, 0, 0, std::chrono::seconds(2)).error,
            BusError::NoWindow);
}

TEST(BusReceiver, ClassAndTitleLimitsAreEnforced) {
  BusError error = BusError::None;
  auto handler = [](const BusMessage&) { return std::int64_t{0}; };
  EXPECT_FALSE(BusWindow::Create("", "t", WindowVisibility::Shown, handler, nullptr, error));
  EXPECT_EQ(error, BusError::BadArgument);
  EXPECT_FALSE(BusWindow::Create(std::string(256, 'c'), "t", WindowVisibility::Shown, handler,
                                 nullptr, error));
  EXPECT_FALSE(BusWindow::Create("c", std::string(1024, 't'), WindowVisibility::Shown, handler,
                                 nullptr, error));
  EXPECT_TRUE(BusWindow::Create(std::string(255, 'c'), std::string(1023, 't'),
                                WindowVisibility::Shown, handler, nullptr, error));
}

TEST(BusFolder, IsMadePrivateAndRefusedWhenAnotherUserOwnsIt) {
  ScratchFolder scratch;
  struct BusFolderOverride {
    const std::string saved = std::getenv("TUNEFETCH_BUS");
    explicit BusFolderOverride(const std::string& path) {
      setenv("TUNEFETCH_BUS", path.c_str(), 1);
    }
    ~BusFolderOverride() { setenv("TUNEFETCH_BUS", saved.c_str(), 1); }
  } override(scratch / "a/b/bus");
  BusFolderResult folder = OpenBusFolder();
  ASSERT_EQ(folder.error, BusError::None);
  struct stat info {};
  ASSERT_EQ(stat(folder.path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  chmod(folder.path.c_str(), 0755);
  ASSERT_EQ(OpenBusFolder().error, BusError::None);
  ASSERT_EQ(stat(folder.path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  if (geteuid() == 0 && chown(folder.path.c_str(), 65534, 65534) == 0) {
    EXPECT_EQ(OpenBusFolder().error, BusError::NoFolder);
    BusError error = BusError::None;
    EXPECT_FALSE(BusWindow::Create(
        "c", "t", WindowVisibility::Shown, [](const BusMessage&) { return std::int64_t{0}; },
        nullptr, error));
    EXPECT_EQ(error, BusError::NoFolder);
  }
  std::filesystem::remove(folder.path);
  ASSERT_EQ(symlink(scratch.Path().c_str(), folder.path.c_str()), 0);
  EXPECT_EQ(OpenBusFolder().error, BusError::NoFolder);  // a link is not our folder
}
