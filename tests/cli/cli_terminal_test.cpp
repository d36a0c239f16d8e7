// tunefetch-cli as a user runs it: a copy of the program folder with its own
// settings file, a real list, the local test server and the player double;
// its output, exit statuses and Ctrl-C.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ChildProcess.h"
#include "tests/support/PlayerDouble.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A link to the built program in a folder of its own: the program folder,
    // and so the settings file, is the link's folder, not build/bin.
    std::filesystem::create_hard_link(std::string(TF_PROGRAM_DIR) + "/tunefetch-cli", program / "tunefetch-cli");
    WriteFileText(program / "tunefetch.ini",
                  "[GENERAL]\nLANGUAGE=English\n[SITE]\nPROXY_MODE=0\n[PLAY]\nAUTO_CLEAR=0\n[CACHE]\nSAVE_DIR=" +
                      save.Path() + "/\n");
  }

  std::string List(const std::string& lines, const std::string& name = "list.mpq") {
    const std::string path = save / name;
    WriteFileText(path, "//!baseurl " + server.Url("/") + "\n" + lines);
    return path;
  }

  // Starts the program with standard output in a file; returns its pid.
  pid_t Start(const std::vector<std::string>& arguments) {
    return StartProgram(program / "tunefetch-cli", arguments, save / "out.txt");
  }
  int Run(const std::vector<std::string>& arguments) { return WaitForChildExit(Start(arguments), 20s); }
  std::string Output() const { return ReadFileText(save / "out.txt"); }

  ScratchFolder program;
  ScratchFolder save;
  TestHttpServer server;
};

TEST_F(CliTest, ListBecomesStoredFilesAndPlaylistEntries) {
  PlayerDouble player({.logPath = save / "player.log"});
  server.SetReply(PatternReply(20000));
  WriteFileText(save / "b.mp3", "present already");
  EXPECT_EQ(Run({"--quiet", List("a.mp3\nb.mp3\n")}), 0);
  EXPECT_EQ(Output(), "fetched " + (save / "a.mp3") + "\npresent " + (save / "b.mp3") + "\n");
  EXPECT_EQ(ReadFileText(save / "a.mp3"), PatternBody(20000));
  int added = 0;
  for (const std::string& line : player.LogLines()) added += line.find("kind=100") != std::string::npos;
  EXPECT_EQ(added, 2);
}

TEST_F(CliTest, SaveFolderOptionIsUsedButNeverWritten) {
  ScratchFolder other;
  server.SetReply(PatternReply(20000));
  EXPECT_EQ(Run({"--save-dir", other.Path(), List("a.mp3\n")}), 0);
  EXPECT_TRUE(FileExists(other / "a.mp3"));
  EXPECT_EQ(ReadFileText(program / "tunefetch.ini").find(other.Path()), std::string::npos);
}

TEST_F(CliTest, ExitStatuses) {
  TestHttpReply missing;
  missing.status = 404;
  server.SetReplyFor("/gone.mp3", missing);
  server.SetReply(PatternReply(20000));
  struct Case {
    std::vector<std::string> arguments;
    int status;
  };
  const Case cases[] = {
      {{List("gone.mp3\na.mp3\n", "gone.mpq")}, 1},
      {{save / "no-such-list.mpq"}, 2},
      {{}, 2},
      {{"--frobnicate", List("a.mp3\n")}, 2},
      {{"--help"}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.arguments), c.status) << (c.arguments.empty() ? "" : c.arguments[0]) << "\n" << Output();
  }
}

// A failed item gets one line that names it and says why; what the server
// wrote is shown with its control characters made visible.
TEST_F(CliTest, FailedItemIsReportedWithItsReason) {
  struct Case {
    std::string reason;  // the status line's phrase the server sends
    std::string shown;
  };
  const Case cases[] = {{"Not Found", "Not Found"}, {"Not\x1b[2JFound", "Not\\x1B[2JFound"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    TestHttpReply missing;
    missing.status = 404;
    missing.reason = c.reason;
    server.SetReply(missing);
    EXPECT_EQ(Run({"--quiet", List("a.mp3\n")}), 1);
    EXPECT_NE(Output().find("tunefetch-cli: a (" + server.Url("/a.mp3") + "): HTTP 404 " + c.shown +
                            "\n"),
              std::string::npos)
        << Output();
  }
}

TEST_F(CliTest, InterruptStopsAtOnceAndLeavesNoPartFile) {
  server.SetReply(PatternReply(1 << 20, TestHttpReply::Failure::StallInBody));
  for (int signal : {SIGINT, SIGTERM}) {
    const pid_t pid = Start({"--quiet", List("slow.mp3\n")});
    ASSERT_TRUE(WaitUntil([&] { return FileExists(save / "slow.mp3.part"); }));
    kill(pid, signal);
    EXPECT_EQ(WaitForChildExit(pid, 5s), 128 + signal);
    EXPECT_FALSE(FileExists(save / "slow.mp3.part"));
    EXPECT_FALSE(FileExists(save / "slow.mp3"));
  }
}

}  // namespace
