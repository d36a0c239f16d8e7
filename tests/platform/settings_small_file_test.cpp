// Reading the program's small state files: capped, and never hanging on a
// pipe that has a file's name.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/ProfileFile.h"
#include "platform/SmallFile.h"
#include "tests/support/ScratchFolder.h"

namespace {

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

TEST(SmallFileTest, ReplaceKeepsModeAndLeavesNoTemporaryFile) {
  ScratchFolder folder;
  ASSERT_TRUE(ReplaceFile(folder / "state", "one"));
  ASSERT_EQ(chmod((folder / "state").c_str(), 0644), 0);
  ASSERT_TRUE(ReplaceFile(folder / "state", "two"));
  EXPECT_EQ(ReadFileText(folder / "state"), "two");
  struct stat info {};
  ASSERT_EQ(stat((folder / "state").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  EXPECT_FALSE(ReplaceFile(folder / "missing/state", "x"));
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) entries += !entry.path().empty();
  EXPECT_EQ(entries, 1);
}

}  // namespace
