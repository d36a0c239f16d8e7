// The INI layer under the settings store: Windows profile semantics, other
// lines kept byte for byte, and no lost update when threads and processes
// write one file at once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/ProfileFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"

namespace {

class ProfileFileTest : public ::testing::Test {
 protected:
  ScratchFolder folder;
  std::string path = folder / "test.ini";
};

TEST_F(ProfileFileTest, ReadsMatchSectionsAndKeysWithoutRegardToCase) {
  WriteFileText(path, "[Disp]\nPosition = 120, 80 \n[disp]\nposition=shadowed\n");
  EXPECT_EQ(ReadProfileString(path, "DISP", "POSITION", "x"), "120, 80");
  EXPECT_EQ(ReadProfileString(path, "disp", "Missing", "x"), "x");
  EXPECT_EQ(ReadProfileString(path, "Nope", "Position", "x"), "x");
  EXPECT_EQ(ReadProfileString(folder / "absent.ini", "Disp", "Position", "x"), "x");
}

TEST_F(ProfileFileTest, ReadsTrimAndUnquoteValues) {
  WriteFileText(path,
                "[A]\r\nquoted=\" spaced \"\r\nsingle='x'\r\nhalf=\"open\r\nempty=\r\n"
                "; comment=1\r\n\tpadded\t=\tv\t\r\n");
  EXPECT_EQ(ReadProfileString(path, "A", "quoted", "d"), " spaced ");
  EXPECT_EQ(ReadProfileString(path, "A", "single", "d"), "x");
  EXPECT_EQ(ReadProfileString(path, "A", "half", "d"), "\"open");
  EXPECT_EQ(ReadProfileString(path, "A", "empty", "d"), "");
  EXPECT_EQ(ReadProfileString(path, "A", "; comment", "d"), "d");
  EXPECT_EQ(ReadProfileString(path, "A", "padded", "d"), "v");
}

TEST_F(ProfileFileTest, ReadsAreCutTo1023Bytes) {
  WriteFileText(
      path, "[A]\nlong=\"" + std::string(1500, 'v') + "\"\nfull=" + std::string(1023, 'f') + "\n");
  EXPECT_EQ(ReadProfileString(path, "A", "long", "d"), std::string(1023, 'v'));
  EXPECT_EQ(ReadProfileString(path, "A", "full", "d"), std::string(1023, 'f'));
  EXPECT_EQ(ReadProfileString(path, "A", "absent", std::string(1100, 'd')), std::string(1023, 'd'));
}

TEST_F(ProfileFileTest, WritesCreateFileSectionAndKeyKeepingEveryOtherLine) {
  ASSERT_TRUE(WriteProfileString(path, "GENERAL", "LANGUAGE", "Japanese"));
  EXPECT_EQ(ReadFileText(path), "[GENERAL]\nLANGUAGE=Japanese\n");
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  WriteFileText(path,
                "; hand-written\n[general]\nlanguage = English ; old\n\n[PLAY]\nAUTO_PLAY=1\n");
  ASSERT_TRUE(WriteProfileString(path, "GENERAL", "LANGUAGE", "Japanese"));
  ASSERT_TRUE(WriteProfileString(path, "general", "EXTENSION", ".mpq"));
  ASSERT_TRUE(WriteProfileString(path, "SITE", "URL", ""));
  EXPECT_EQ(ReadFileText(path),
            "; hand-written\n[general]\nLANGUAGE=Japanese\nEXTENSION=.mpq\n\n[PLAY]\nAUTO_PLAY=1\n"
            "[SITE]\nURL=\n");
}

// A regression test: a 0644 or 0444 file kept its mode after a password had
// been written into it.
TEST_F(ProfileFileTest, WritesFollowTheFilesLineEndsAndLeaveItPrivate) {
  WriteFileText(path, "[A]\r\nk=1\r\n");
  chmod(path.c_str(), 0444);
  ASSERT_TRUE(WriteProfileString(path, "A", "n", "2"));
  ASSERT_TRUE(WriteProfileString(path, "B", "m", "3\ninjected=1"));
  EXPECT_EQ(ReadFileText(path), "[A]\r\nk=1\r\nn=2\r\n[B]\r\nm=3\r\n");
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// Found by fuzzing: a last line ending in a lone CR had the new section glued
// onto it, so the written key could not be read back.
TEST_F(ProfileFileTest, ALastLineWithoutItsLineFeedIsEndedBeforeNewLines) {
  const struct {
    const char* before;
    const char* after;
  } cases[] = {
      {"[A]\nk=1\r", "[A]\nk=1\n[B]\nm=3\n"},
      {"[A]\nk=1", "[A]\nk=1\n[B]\nm=3\n"},
      {"[A]\r\nk=1\r", "[A]\r\nk=1\r\n[B]\r\nm=3\r\n"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.before);
    WriteFileText(path, each.before);
    ASSERT_TRUE(WriteProfileString(path, "B", "m", "3"));
    EXPECT_EQ(ReadFileText(path), each.after);
    EXPECT_EQ(ReadProfileString(path, "B", "m", "-"), "3");
    EXPECT_EQ(ReadProfileString(path, "A", "k", "-"), "1");
  }
}

TEST_F(ProfileFileTest, FailedWriteLeavesNoTraceAndReportsFailure) {
  EXPECT_FALSE(WriteProfileString(folder / "no/such/folder.ini", "A", "k", "v"));
}

constexpr int kWritesPerWriter = 40;

void WriteKeys(const std::string& path, const std::string& prefix) {
  for (int i = 0; i < kWritesPerWriter; ++i)
    WriteProfileString(path, "S", prefix + std::to_string(i), std::to_string(i));
}

void ExpectAllKeys(const std::string& path, const std::string& prefix) {
  for (int i = 0; i < kWritesPerWriter; ++i)
    EXPECT_EQ(ReadProfileString(path, "S", prefix + std::to_string(i), "lost"), std::to_string(i))
        << prefix << i;
}

TEST_F(ProfileFileTest, TwoThreadsWritingDifferentKeysLoseNothing) {
  std::thread a(WriteKeys, path, "a");
  std::thread b(WriteKeys, path, "b");
  // A reader during the writes sees whole files only: every key read is
  // either missing or has its value.
  for (int i = 0; i < 200; ++i) {
    std::string value = ReadProfileString(path, "S", "a0", "0");
    EXPECT_EQ(value, "0");
  }
  a.join();
  b.join();
  ExpectAllKeys(path, "a");
  ExpectAllKeys(path, "b");
}

TEST_F(ProfileFileTest, TwoProcessesWritingDifferentKeysLoseNothing) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    WriteKeys(path, "child");
    _exit(0);
  }
  WriteKeys(path, "parent");
  ASSERT_EQ(WaitForChildExit(child, std::chrono::seconds(30)), 0);
  ExpectAllKeys(path, "child");
  ExpectAllKeys(path, "parent");
}

// The write-back of a default: a value the file holds is kept and returned.
TEST_F(ProfileFileTest, WriteIfAbsentKeepsAHeldValue) {
  const struct {
    const char* before;
    const char* returned;
    const char* after;
  } cases[] = {
      {"[A]\nk=held\n", "held", "[A]\nk=held\n"},
      {"[A]\nk=\n", "", "[A]\nk=\n"},
      {"[A]\nk=\\marker\n", "new", "[A]\nK=new\n"},
      {"[A]\nother=1\n", "new", "[A]\nother=1\nK=new\n"},
  };
  for (const auto& c : cases) {
    WriteFileText(path, c.before);
    EXPECT_EQ(WriteProfileStringIfAbsent(path, "a", "K", "new", "\\"), c.returned) << c.before;
    EXPECT_EQ(ReadFileText(path), c.after) << c.before;
  }
}

}  // namespace
