// The bus folder's files as another program, a crash or a long life may leave
// them: odd file names, a counter at its end or not a file at all.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/FileStamp.h"
#include "platform/bus/BusFolder.h"
#include "platform/bus/BusRegistry.h"
#include "platform/bus/BusWindow.h"
#include "platform/bus/DesktopBus.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestBusWindow.h"

namespace {

std::unique_ptr<BusWindow> MakeWindow(BusError& error) {
  return MakeTestWindow("state", {}, nullptr, &error);
}

std::string SequenceFile() { return OpenBusFolder().path + "/sequence"; }

}  // namespace

TEST(BusState, AnEntryWhoseNameIsNotTheCanonicalIdIsNotListed) {
  BusError error = BusError::None;
  auto window = MakeWindow(error);
  ASSERT_TRUE(window);
  const std::string folder = OpenBusFolder().path;
  const std::string id = std::to_string(window->Handle().id);
  const std::string entry = ReadFileText(EntryPath(folder, window->Handle()));
  for (const std::string& name : {"0" + id, "00" + id, "+" + id, id + " "})
    WriteFileText(folder + "/" + name + ".win", entry);
  // The same entry with a pid spelt with a leading zero is no entry either.
  std::string zeroPid = entry;
  zeroPid.replace(zeroPid.find("pid ") + 4, 0, "0");
  WriteFileText(folder + "/" + std::to_string(window->Handle().id + 100) + ".win", zeroPid);

  const std::vector<BusWindowInfo> windows = EnumerateWindows();
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].handle, window->Handle());
}

TEST(BusState, TheLastIdIsHandedOutOnceAndThenRegistrationIsRefused) {
  WriteFileText(SequenceFile(), "18446744073709551614\n");
  BusError error = BusError::None;
  auto last = MakeWindow(error);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->Handle().id, UINT64_MAX);
  last.reset();

  EXPECT_FALSE(MakeWindow(error));
  EXPECT_EQ(error, BusError::NoIdsLeft);
  EXPECT_EQ(ReadFileText(SequenceFile()), "18446744073709551615\n");  // never 0
}

// Whatever sits at the counter's name, registration goes on and the counter
// is a plain file again afterwards.
TEST(BusState, ACounterThatCannotBeReadCountsAsZeroAndIsReplaced) {
  struct Case {
    const char* what;
    void (*make)(const std::string& path);
  };
  const Case cases[] = {
      {"a pipe", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
      {"an empty folder", [](const std::string& path) { ASSERT_EQ(mkdir(path.c_str(), 0700), 0); }},
      {"a file without rights",
       [](const std::string& path) {
         WriteFileText(path, "5\n");
         chmod(path.c_str(), 0);
       }},
      {"damaged text", [](const std::string& path) { WriteFileText(path, "12 junk\n"); }},
      {"trailing blanks", [](const std::string& path) { WriteFileText(path, "7  \n\n"); }},
      {"an overlong file",
       [](const std::string& path) { WriteFileText(path, std::string(100, '9')); }},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.what);
    std::filesystem::remove_all(SequenceFile());
    each.make(SequenceFile());
    BusError error = BusError::None;
    auto window = MakeWindow(error);
    ASSERT_TRUE(window);
    EXPECT_EQ(error, BusError::None);
    EXPECT_TRUE(std::filesystem::is_regular_file(SequenceFile()));
    EXPECT_EQ(ReadFileText(SequenceFile()), std::to_string(window->Handle().id) + "\n");
  }
}

// Finders reuse the folder's listing while the folder is unchanged; each kind
// of change must still show at the very next look, the folder having been
// left alone long enough before it for the listing to be kept.
TEST(BusState, AKeptListingStillShowsEveryChangeAtTheNextLook) {
  const auto settle = [] {
    std::this_thread::sleep_for(std::chrono::nanoseconds(2 * kSettleTimeNanoseconds));
  };
  BusError error = BusError::None;
  settle();
  EXPECT_FALSE(FindWindowByClass("Test"));  // an empty listing is kept
  auto window = MakeWindow(error);
  ASSERT_TRUE(window);
  EXPECT_EQ(FindWindowByClass("Test"), window->Handle());  // an added entry

  settle();
  EXPECT_EQ(FindWindowByTitle("state"), window->Handle());
  ASSERT_EQ(window->SetTitle("renamed"), BusError::None);
  EXPECT_EQ(FindWindowByTitle("renamed"), window->Handle());  // a replaced entry

  // A process that ends leaves the folder as it was: its entry must go all
  // the same, and with it its files. The child is ended and reaped however
  // the test leaves, so it never holds the test's output open.
  struct PausedChild {
    pid_t pid = fork();
    void End() {
      if (pid <= 0) return;
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      pid = 0;
    }
    ~PausedChild() { End(); }
  } process;
  if (process.pid == 0) {
    pause();
    _exit(0);
  }
  ASSERT_GT(process.pid, 0);
  const pid_t child = process.pid;
  const std::string folder = OpenBusFolder().path;
  BusWindowInfo gone{BusWindowHandle{window->Handle().id + 1}, child, WindowVisibility::Shown,
                     "Gone", ""};
  ASSERT_EQ(WriteWindowEntry(folder, gone), BusError::None);
  settle();
  EXPECT_EQ(EnumerateWindows().size(), 2u);
  process.End();
  const std::vector<BusWindowInfo> windows = EnumerateWindows();
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].handle, window->Handle());
  EXPECT_FALSE(std::filesystem::exists(EntryPath(folder, gone.handle)));
}
