// Another program rewrites the settings file while this one reads it. The
// store used to take a file caught half written for an empty one and write
// defaults back over the user's keys.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "config/Settings.h"
#include "platform/ProfileFile.h"
#include "tests/support/ScratchFolder.h"

namespace {

using namespace std::chrono_literals;

constexpr std::string_view kUserFile =
    "[DISP]\nPOSITION=7,8\n[CACHE]\nSAVE_DIR=/srv/music/\n[PLAY]\nAUTO_CLEAR=0\n";

enum class Writer { InPlace, Rename };

// One rewrite of the whole file as the other program makes it: in place,
// truncated first as a shell redirection does, or as a new file renamed
// into place.
void Rewrite(const std::string& path, Writer writer) {
  const std::string target = writer == Writer::InPlace ? path : path + ".other";
  const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  std::this_thread::sleep_for(5ms);  // the moment a reader may catch it empty
  ASSERT_EQ(write(fd, kUserFile.data(), kUserFile.size()), static_cast<ssize_t>(kUserFile.size()));
  close(fd);
  if (writer == Writer::Rename) {
    ASSERT_EQ(rename(target.c_str(), path.c_str()), 0);
  }
}

TEST(SettingsSecondWriterTest, AFileRewrittenMeanwhileIsReadWholeAndKeepsEveryKey) {
  for (const Writer writer : {Writer::InPlace, Writer::Rename}) {
    ScratchProgramFolder program;
    const std::string path = program.SettingsFile();
    WriteFileText(path, kUserFile);
    std::atomic<int> rewrites = 0;
    std::thread other([&] {
      for (; rewrites < 8; ++rewrites) {
        Rewrite(path, writer);
        std::this_thread::sleep_for(150ms);  // well past the settle time
      }
    });
    int wrongReads = 0;
    while (rewrites < 8) {
      wrongReads += ReadSetting("PLAY", "AUTO_CLEAR", -1) != "0";
      wrongReads += ReadSetting("CACHE", "SAVE_DIR", -1) != "/srv/music/";
      // Absent from the user's file: its default is written back each time.
      wrongReads += ReadSetting("DISP", "SKIN", -1) != "*";
      std::this_thread::sleep_for(1ms);
    }
    other.join();
    EXPECT_EQ(wrongReads, 0) << (writer == Writer::InPlace ? "in place" : "renamed");
    EXPECT_EQ(ReadProfileString(path, "DISP", "POSITION", "<absent>"), "7,8");
    EXPECT_EQ(ReadProfileString(path, "PLAY", "AUTO_CLEAR", "<absent>"), "0");
  }
}

}  // namespace
