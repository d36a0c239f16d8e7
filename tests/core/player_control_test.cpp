// Player control against the player test double in its own process.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "config/Settings.h"
#include "core/PlayerControl.h"
#include "platform/bus/DesktopBus.h"
#include "platform/bus/PlayerProtocol.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PlayerDouble.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr const char* kQuery = "message=1024 wparam=0 lparam=104 kind=0 data=";
constexpr const char* kPlay = "message=1024 wparam=0 lparam=102 kind=0 data=";
constexpr const char* kStop = "message=273 wparam=40047 lparam=0 kind=0 data=";
constexpr const char* kClear = "message=1024 wparam=0 lparam=101 kind=0 data=";

bool StartsWith(const std::string& line, std::string_view prefix) {
  return line.starts_with(prefix);
}

// Waits up to 5 s until no player window is left.
bool WaitUntilNoPlayer() {
  for (int tries = 0; tries < 500; ++tries) {
    if (!FindWindowByClass(kPlayerWindowClass)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class PlayerControl : public ::testing::Test {
 protected:
  ScratchProgramFolder m_program;
  ScratchFolder m_scratch;

  PlayerDoubleOptions Double(bool playing) {
    PlayerDoubleOptions options;
    options.playing = playing;
    options.logPath = m_scratch / "player.log";
    return options;
  }

  // FindPlayer with starting asked for, and the milliseconds it took.
  std::pair<BusWindowHandle, long long> TimedStart() {
    const auto started = std::chrono::steady_clock::now();
    const BusWindowHandle found = FindPlayer(PlayerStart::StartWhenMissing);
    const auto took = std::chrono::steady_clock::now() - started;
    return {found, std::chrono::duration_cast<std::chrono::milliseconds>(took).count()};
  }
};

}  // namespace

TEST_F(PlayerControl, WithoutAPlayerNothingIsSentAndNothingIsStarted) {
  WriteSetting("PLAY", "WINAMP_PATH", PlayerDoublePath());
  EXPECT_FALSE(FindPlayer(PlayerStart::DoNotStart));
  EXPECT_FALSE(IsPlayerPlaying());
  EXPECT_FALSE(PlayerAddFile("/music/a.mp3"));
  EXPECT_FALSE(PlayerPlay(PlayerStart::DoNotStart));
  EXPECT_FALSE(PlayerStopAndClear());
  EXPECT_TRUE(EnumerateWindows().empty());
}

TEST_F(PlayerControl, APlayingPlayerGetsTheFileAndNoPlayCommand) {
  PlayerDouble player(Double(true));
  ASSERT_TRUE(player.Window());
  EXPECT_EQ(FindPlayer(PlayerStart::DoNotStart), player.Window());
  EXPECT_TRUE(IsPlayerPlaying());
  EXPECT_TRUE(PlayerAddFile("/music/My Album/01 a.mp3"));
  EXPECT_TRUE(PlayerPlay(PlayerStart::DoNotStart));

  const std::vector<std::string> log = player.LogLines();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_TRUE(StartsWith(log[0], kQuery));
  // kind 100, the path and its NUL: byte count = length + 1
  EXPECT_EQ(log[1],
            "message=74 wparam=0 lparam=0 kind=100 "
            "data=2f6d757369632f4d7920416c62756d2f303120612e6d703300"
            " result=0 playing=1 playlist=1");
  EXPECT_TRUE(StartsWith(log[2], kQuery));
}

TEST_F(PlayerControl, AStoppedPlayerStartsPlayingAfterTheFirstFile) {
  PlayerDouble player(Double(false));
  ASSERT_TRUE(player.Window());
  EXPECT_FALSE(IsPlayerPlaying());
  EXPECT_TRUE(PlayerAddFile("/music/a.mp3"));
  EXPECT_TRUE(PlayerPlay(PlayerStart::DoNotStart));
  EXPECT_TRUE(IsPlayerPlaying());
  EXPECT_TRUE(PlayerAddFile("/music/b.mp3"));
  EXPECT_TRUE(PlayerPlay(PlayerStart::DoNotStart));

  const std::vector<std::string> log = player.LogLines();
  ASSERT_EQ(log.size(), 7u);
  EXPECT_TRUE(StartsWith(log[1], "message=74 "));
  EXPECT_TRUE(StartsWith(log[2], kQuery));
  EXPECT_TRUE(StartsWith(log[3], kPlay));
  EXPECT_NE(log[3].find("playing=1 playlist=1"), std::string::npos);
  EXPECT_TRUE(StartsWith(log[5], "message=74 "));
  EXPECT_TRUE(StartsWith(log[6], kQuery));  // already playing: no second play command
}

TEST_F(PlayerControl, StopAndClearSendsTheStopCommandThenClears) {
  PlayerDouble player(Double(true));
  ASSERT_TRUE(player.Window());
  EXPECT_TRUE(PlayerAddFile("/music/a.mp3"));
  EXPECT_TRUE(PlayerStopAndClear());
  const std::vector<std::string> log = player.LogLines();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1], std::string(kStop) + " result=0 playing=0 playlist=1");
  EXPECT_EQ(log[2], std::string(kClear) + " result=0 playing=0 playlist=0");
}

TEST_F(PlayerControl, AProgramThatCannotStartFailsAtOnce) {
  for (const std::string& program :
       {m_scratch / "no such player", std::string("tunefetch-no-such-program"), m_scratch.Path(),
        std::string()}) {
    WriteSetting("PLAY", "WINAMP_PATH", program);
    const auto [found, tookMs] = TimedStart();
    EXPECT_FALSE(found) << program;
    EXPECT_LT(tookMs, 1000) << program << ": waited for a player that never started";
  }
}

TEST_F(PlayerControl, AProgramPathWithBlanksIsStartedWhole) {
  // "<scratch>/player" exists and would leave a mark if the value were split
  // at its first blank.
  const std::string decoy = m_scratch / "player";
  WriteFileText(decoy, "#!/bin/sh\ntouch '" + (m_scratch / "decoy-ran") + "'\n");
  chmod(decoy.c_str(), 0755);
  const std::string wholePath = m_scratch / "player double";
  std::filesystem::create_symlink(PlayerDoublePath(), wholePath);

  WriteSetting("PLAY", "WINAMP_PATH", wholePath);
  const auto [found, tookMs] = TimedStart();
  ASSERT_TRUE(found);
  EXPECT_GE(tookMs, 1000);  // the start is followed by the one-second wait
  EXPECT_FALSE(FileExists(m_scratch / "decoy-ran"));
  EXPECT_TRUE(SendMessage(found, WM_CLOSE, 0, 0).Delivered());
  EXPECT_TRUE(WaitUntilNoPlayer());

  // With a missing whole path the decoy is not run either.
  WriteSetting("PLAY", "WINAMP_PATH", m_scratch / "player with blanks");
  EXPECT_FALSE(FindPlayer(PlayerStart::StartWhenMissing));
  EXPECT_FALSE(FileExists(m_scratch / "decoy-ran"));
}

TEST_F(PlayerControl, ABareProgramNameIsLookedUpOnThePath) {
  std::filesystem::create_directory(m_scratch / "bin");
  std::filesystem::create_symlink(PlayerDoublePath(), m_scratch / "bin/fake-player");
  const std::string savedPath = std::getenv("PATH");
  setenv("PATH", (m_scratch / "bin").c_str(), 1);
  WriteSetting("PLAY", "WINAMP_PATH", "fake-player");
  const BusWindowHandle found = FindPlayer(PlayerStart::StartWhenMissing);
  setenv("PATH", savedPath.c_str(), 1);
  ASSERT_TRUE(found);
  EXPECT_TRUE(PlayerPlay(PlayerStart::DoNotStart));
  EXPECT_TRUE(SendMessage(found, WM_CLOSE, 0, 0).Delivered());
  EXPECT_TRUE(WaitUntilNoPlayer());
}

TEST_F(PlayerControl, ABareProgramNameInTheProgramFolderComesBeforeThePath) {
  // On PATH, both names only leave a mark. In the program folder, one is the
  // double and the other a folder, which does not count.
  std::filesystem::create_directory(m_scratch / "bin");
  for (const std::string name : {"fake-player", "folder-player"}) {
    const std::string script = m_scratch / ("bin/" + name);
    WriteFileText(script,
                  "#!/bin/sh\n: > '" + (m_scratch / name) + ".ran'\n");  // PATH has no touch
    chmod(script.c_str(), 0755);
  }
  std::filesystem::create_symlink(PlayerDoublePath(), m_program / "fake-player");
  std::filesystem::create_directory(m_program / "folder-player");
  const std::string savedPath = std::getenv("PATH");
  setenv("PATH", (m_scratch / "bin").c_str(), 1);
  WriteSetting("PLAY", "WINAMP_PATH", "folder-player");
  const BusWindowHandle none = FindPlayer(PlayerStart::StartWhenMissing);
  WriteSetting("PLAY", "WINAMP_PATH", "fake-player");
  const BusWindowHandle found = FindPlayer(PlayerStart::StartWhenMissing);
  setenv("PATH", savedPath.c_str(), 1);

  EXPECT_FALSE(none);
  EXPECT_TRUE(WaitUntil([&] { return FileExists(m_scratch / "folder-player.ran"); }));
  ASSERT_TRUE(found);
  EXPECT_FALSE(FileExists(m_scratch / "fake-player.ran"));
  EXPECT_TRUE(SendMessage(found, WM_CLOSE, 0, 0).Delivered());
  EXPECT_TRUE(WaitUntilNoPlayer());
}
