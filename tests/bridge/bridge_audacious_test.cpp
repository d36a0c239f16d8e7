// The bridge against a real Audacious, headless on a private session bus with
// SDL's dummy audio driver: the player protocol of the desktop bus carried
// out by the player itself, and the bridge's own start and end.

#include <gtest/gtest.h>

#include <filesystem>

#include "bridge/BoundedWait.h"
#include "bridge/FileUri.h"
#include "platform/bus/DesktopBus.h"
#include "platform/bus/PlayerProtocol.h"
#include "tests/support/AudaciousSession.h"
#include "tests/support/BridgeProcess.h"

namespace {

// The first message waits for Audacious to start, which can take a while on a
// busy machine; the bridge's own limit for that is 10 s.
constexpr std::chrono::milliseconds kFirstAnswer{15000};
constexpr std::chrono::milliseconds kAnswer{8000};

class BridgeAudacious : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_audacious.Ready()) << "no private session bus (dbus-daemon)";
  }

  std::int64_t Send(BusWindowHandle window, std::int64_t lParam,
                    std::chrono::milliseconds limit = kAnswer) {
    const BusSendResult result = SendMessage(window, WM_USER, 0, lParam, limit);
    EXPECT_TRUE(result.Delivered());
    return result.value;
  }
  std::int64_t Stop(BusWindowHandle window) {
    return SendMessage(window, WM_COMMAND, kPlayerStopCommand, 0, kAnswer).value;
  }
  std::int64_t Add(BusWindowHandle window, const std::string& path) {
    const BusSendResult result = SendCopyData(window, 0, kPlayerAddFileKind, path + '\0', kAnswer);
    EXPECT_TRUE(result.Delivered());
    return result.value;
  }
  std::string Song(const char* name) {
    const std::string path = m_music / name;
    WriteFileText(path, SilentWav(60));
    return path;
  }

  AudaciousSession m_audacious;
  ScratchFolder m_music;
};

}  // namespace

TEST_F(BridgeAudacious, StartsAudaciousAndCarriesOutEveryMessage) {
  const std::string first = Song("01 first #1 100%.wav");
  const std::string second = Song("\xE6\x9B\xB2 2.wav");  // a Japanese name
  const std::string third = Song("third.wav");
  ASSERT_FALSE(m_audacious.IsRunning());
  BridgeProcess bridge({"--command", AudaciousSession::kStartCommand, "--idle-exit", "1"},
                       m_music / "bridge.log");
  ASSERT_TRUE(bridge.Window());

  // 1. The run's clearing finds Audacious started by the bridge.
  EXPECT_EQ(Send(bridge.Window(), kPlayerClearPlaylist, kFirstAnswer), 1) << bridge.Messages();
  ASSERT_TRUE(m_audacious.IsRunning());
  ASSERT_TRUE(m_audacious.UseSilentOutput());
  EXPECT_EQ(Send(bridge.Window(), kPlayerQueryPlaying), 0);

  // 2. Two files, in order, as file:// URIs.
  EXPECT_EQ(Add(bridge.Window(), first), 1) << bridge.Messages();
  EXPECT_EQ(Add(bridge.Window(), second), 1) << bridge.Messages();
  EXPECT_EQ(m_audacious.Length(), 2);
  EXPECT_EQ(m_audacious.SongUri(0), *FileUriFromPath(first));
  EXPECT_EQ(m_audacious.SongUri(1), *FileUriFromPath(second));

  // 3. Play, and it really plays.
  EXPECT_EQ(Send(bridge.Window(), kPlayerStartPlayback), 1) << bridge.Messages();
  EXPECT_EQ(m_audacious.Status(), "playing");
  EXPECT_TRUE(m_audacious.PlaysOn());
  EXPECT_EQ(Send(bridge.Window(), kPlayerQueryPlaying), 1);

  // 4. A file added during playback goes to the end and interrupts nothing.
  EXPECT_EQ(Add(bridge.Window(), third), 1) << bridge.Messages();
  EXPECT_EQ(m_audacious.Length(), 3);
  EXPECT_EQ(m_audacious.Status(), "playing");
  EXPECT_TRUE(m_audacious.PlaysOn());
  EXPECT_EQ(m_audacious.Position(), 0);

  // 5. Stop and clear.
  EXPECT_EQ(Stop(bridge.Window()), 1) << bridge.Messages();
  EXPECT_EQ(m_audacious.Status(), "stopped");
  EXPECT_EQ(Send(bridge.Window(), kPlayerQueryPlaying), 0);
  EXPECT_EQ(Send(bridge.Window(), kPlayerClearPlaylist), 1);
  EXPECT_EQ(m_audacious.Length(), 0);
  EXPECT_EQ(Send(bridge.Window(), kPlayerStartPlayback), 0);  // nothing to play
  EXPECT_EQ(m_audacious.Status(), "stopped");

  // 6. A missing file fails with its name and the reason.
  const std::string missing = m_music / "gone.wav";
  EXPECT_EQ(Add(bridge.Window(), missing), 0);
  EXPECT_EQ(m_audacious.Length(), 0);
  EXPECT_NE(bridge.Messages().find("\"" + missing + "\": No such file or directory"),
            std::string::npos)
      << bridge.Messages();

  // With Audacious gone and nothing asked, the bridge ends by itself.
  ASSERT_TRUE(m_audacious.Quit());
  EXPECT_EQ(bridge.WaitForExit(std::chrono::seconds(10)), 0);
  EXPECT_FALSE(FindWindowByClass(kPlayerWindowClass));
}

TEST_F(BridgeAudacious, MprisDrivesPlaybackAndSaysWhatItCannotDo) {
  ASSERT_TRUE(m_audacious.Start());
  ASSERT_TRUE(m_audacious.UseSilentOutput());
  ASSERT_TRUE(m_audacious.AddUri(*FileUriFromPath(Song("a.wav"))));
  // Audacious's MPRIS plugin is on by default; give it time to claim its name.
  ASSERT_TRUE(
      PollUntil([&] { return m_audacious.Bus().HasOwner("org.mpris.MediaPlayer2.audacious"); },
                std::chrono::seconds(5)));
  BridgeProcess bridge({"--player", "mpris:audacious"}, m_music / "bridge.log");
  ASSERT_TRUE(bridge.Window());

  EXPECT_EQ(Send(bridge.Window(), kPlayerQueryPlaying, kFirstAnswer), 0);
  EXPECT_EQ(Send(bridge.Window(), kPlayerStartPlayback), 1) << bridge.Messages();
  EXPECT_EQ(m_audacious.Status(), "playing");
  EXPECT_EQ(Send(bridge.Window(), kPlayerQueryPlaying), 1);
  EXPECT_EQ(Stop(bridge.Window()), 1) << bridge.Messages();
  EXPECT_EQ(m_audacious.Status(), "stopped");

  // Audacious offers no MPRIS track list: adding and clearing fail, saying so.
  EXPECT_EQ(Add(bridge.Window(), m_music / "a.wav"), 0);
  EXPECT_EQ(Send(bridge.Window(), kPlayerClearPlaylist), 0);
  EXPECT_EQ(m_audacious.Length(), 1);
  EXPECT_NE(bridge.Messages().find("offers no editable track list"), std::string::npos)
      << bridge.Messages();
}

TEST_F(BridgeAudacious, APlayerThatCannotStartFailsAtOnceAndClearly) {
  BridgeProcess bridge({"--command", "tunefetch-no-such-player --flag"}, m_music / "bridge.log");
  ASSERT_TRUE(bridge.Window());
  EXPECT_EQ(Send(bridge.Window(), kPlayerClearPlaylist), 0);
  EXPECT_EQ(Send(bridge.Window(), kPlayerQueryPlaying), 0);
  EXPECT_NE(bridge.Messages().find("cannot start \"tunefetch-no-such-player --flag\""),
            std::string::npos)
      << bridge.Messages();
}
