// The whole road on Linux: a download list, through tunefetch-cli, which
// starts the bridge by its default name from the program folder, which starts
// Audacious, to the downloaded files playing there.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "bridge/FileUri.h"
#include "platform/bus/DesktopBus.h"
#include "platform/bus/PlayerProtocol.h"
#include "tests/support/AudaciousSession.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestHttpServer.h"

TEST(EndToEnd, ListDownloadedThroughTheCliPlaysInAudacious) {
  AudaciousSession audacious;
  ASSERT_TRUE(audacious.Ready()) << "no private session bus (dbus-daemon)";
  // A first run in the fresh home picks the output that needs no sound card,
  // and Audacious keeps that choice for the run the bridge starts.
  ASSERT_TRUE(audacious.Start());
  ASSERT_TRUE(audacious.UseSilentOutput());
  ASSERT_TRUE(audacious.Quit());

  ScratchFolder program;
  ScratchFolder save;
  for (const char* name : {"tunefetch-cli", "tunefetch-bridge"})
    std::filesystem::create_hard_link(std::string(TF_PROGRAM_DIR) + "/" + name, program / name);
  WriteFileText(program / "tunefetch.ini",
                "[SITE]\nPROXY_MODE=0\n[PLAY]\nAUTO_CLEAR=1\nAUTO_PLAY=1\n[CACHE]\nSAVE_DIR=" +
                    save.Path() + "/\nWITH_DIR=1\n");
  WriteFileText(
      program / "tunefetch-bridge.ini",
      std::string("[BRIDGE]\nCOMMAND=") + AudaciousSession::kStartCommand + "\nIDLE_EXIT=2\n");
  TestHttpServer server;
  TestHttpReply song;
  song.body = SilentWav(60);
  server.SetReply(song);
  const std::string list = save / "list.mpq";
  WriteFileText(
      list, "//!baseurl " + server.Url("/") + "\nalbum/01 first.wav\nalbum/\xE6\x9B\xB2 #2.wav\n");

  const pid_t cli = fork();
  if (cli == 0) {
    const int out = open((save / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    execl((program / "tunefetch-cli").c_str(), "tunefetch-cli", "--quiet", list.c_str(), nullptr);
    _exit(127);
  }
  ASSERT_EQ(WaitForChildExit(cli, std::chrono::seconds(60)), 0) << ReadFileText(save / "out.txt");

  const std::string first = save / "album/01 first.wav";
  const std::string second = save / "album/\xE6\x9B\xB2 #2.wav";
  ASSERT_TRUE(audacious.IsRunning());
  EXPECT_EQ(audacious.Length(), 2);
  EXPECT_EQ(audacious.SongUri(0), *FileUriFromPath(first));
  EXPECT_EQ(audacious.SongUri(1), *FileUriFromPath(second));
  EXPECT_EQ(audacious.Status(), "playing");
  EXPECT_TRUE(audacious.PlaysOn());

  // The bridge goes once Audacious has; nothing of it stays on our bus.
  const BusWindowHandle bridge = FindWindowByClass(kPlayerWindowClass);
  ASSERT_TRUE(bridge);
  ASSERT_TRUE(audacious.Quit());
  EXPECT_TRUE(
      WaitUntil([] { return !FindWindowByClass(kPlayerWindowClass); }, std::chrono::seconds(10)));
}
