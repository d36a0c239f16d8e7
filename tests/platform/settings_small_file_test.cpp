// Reading the program's small state files: capped, and never hanging on a
// pipe that has a file's name.
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "platform/ProfileFile.h"
#include "platform/SmallFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"

namespace {

std::atomic<bool> g_signalled{false};

// The scheduler state letter of thread `tid` of this process ('S' while it
// sleeps, as in a lock wait); '?' when it cannot be read.
char ThreadState(pid_t tid) {
  const std::string stat = ReadFileText("/proc/self/task/" + std::to_string(tid) + "/stat");
  const std::size_t paren = stat.rfind(')');
  return paren == std::string::npos || paren + 2 >= stat.size() ? '?' : stat[paren + 2];
}

TEST(SmallFileTest, ReadsWholeFilesUpToTheCap) {
  ScratchFolder folder;
  std::string content = "stale";
  EXPECT_EQ(ReadSmallFile(folder / "none", 10, content), FileReadResult::Missing);
  EXPECT_EQ(content, "");

  WriteFileText(folder / "ten", "0123456789");
  EXPECT_EQ(ReadSmallFile(folder / "ten", 10, content), FileReadResult::Read);
  EXPECT_EQ(content, "0123456789");
  EXPECT_EQ(ReadSmallFile(folder / "ten", 9, content), FileReadResult::TooLarge);
  EXPECT_EQ(content, "");
  EXPECT_EQ(ReadSmallFile(folder.Path(), 10, content), FileReadResult::Unreadable) << "a folder";
}

// A regression test: opening a pipe for reading blocks until a writer comes,
// which would have hung start-up for a pipe named like the settings file.
TEST(SmallFileTest, PipeWithAFilesNameIsUnreadableAtOnce) {
  ScratchFolder folder;
  ASSERT_EQ(mkfifo((folder / "tunefetch.ini").c_str(), 0600), 0);
  std::string content;
  EXPECT_EQ(ReadSmallFile(folder / "tunefetch.ini", 100, content), FileReadResult::Unreadable);
  EXPECT_EQ(ReadProfileString(folder / "tunefetch.ini", "DISP", "SKIN", "*"), "*");
  EXPECT_FALSE(WriteProfileString(folder / "tunefetch.ini", "DISP", "SKIN", "x"))
      << "a file that cannot be read whole is not replaced";
}

// A regression test: a replaced file kept a wider mode it had.
TEST(SmallFileTest, ReplaceLeavesAPrivateFileAndNoTemporaryFile) {
  ScratchFolder folder;
  ASSERT_TRUE(ReplaceFile(folder / "state", "one"));
  ASSERT_EQ(chmod((folder / "state").c_str(), 0644), 0);
  ASSERT_TRUE(ReplaceFile(folder / "state", "two"));
  EXPECT_EQ(ReadFileText(folder / "state"), "two");
  struct stat info {};
  ASSERT_EQ(stat((folder / "state").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_FALSE(ReplaceFile(folder / "missing/state", "x"));
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    entries += !entry.path().empty();
  EXPECT_EQ(entries, 1);
}

// A regression test: a signal arriving while the lock was held elsewhere made
// the waiter give up, and the change it was about to make was lost.
TEST(SmallFileTest, ASignalWhileWaitingForTheFolderLockDoesNotLoseIt) {
  ScratchFolder folder;
  struct sigaction interrupting {};
  interrupting.sa_handler = [](int) { g_signalled = true; };  // no SA_RESTART: the wait sees EINTR
  struct sigaction previous {};
  ASSERT_EQ(sigaction(SIGUSR1, &interrupting, &previous), 0);

  std::optional<FolderLock> holder(std::in_place, folder.Path());
  ASSERT_TRUE(holder->Held());
  std::atomic<pid_t> waiterId{0};
  std::atomic<bool> waiterHeld{false};
  std::thread waiter([&] {
    waiterId = gettid();
    FolderLock lock(folder.Path());
    waiterHeld = lock.Held();
  });
  EXPECT_TRUE(WaitUntil([&] { return waiterId != 0 && ThreadState(waiterId) == 'S'; }));
  pthread_kill(waiter.native_handle(), SIGUSR1);
  EXPECT_TRUE(WaitUntil([] { return g_signalled.load(); }));
  holder.reset();
  waiter.join();
  sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_TRUE(waiterHeld);
}

}  // namespace
