// tunefetch-cli under a file-size limit (ulimit -f): a download that passes
// the limit is a write error the program reports, not a silent death by
// SIGXFSZ.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;

TEST(CliFileSizeLimitTest, WritePastTheLimitIsAWriteErrorWithItsMessage) {
  ScratchFolder program, save;
  TestHttpServer server;
  server.SetReply(PatternReply(200000));
  std::filesystem::create_hard_link(std::string(TF_PROGRAM_DIR) + "/tunefetch-cli",
                                    program / "tunefetch-cli");
  WriteFileText(program / "tunefetch.ini",
                "[GENERAL]\nLANGUAGE=English\n[SITE]\nPROXY_MODE=0\n[PLAY]\nAUTO_CLEAR=0\n");
  WriteFileText(save / "list.mpq", "//!baseurl " + server.Url("/") + "\nbig.mp3\n");

  // The child inherits the limit; this process has it only while forking.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = 100000;
  setrlimit(RLIMIT_FSIZE, &limited);
  const pid_t pid =
      StartProgram(program / "tunefetch-cli",
                   {"--quiet", "--save-dir", save.Path(), save / "list.mpq"}, program / "out.txt");
  setrlimit(RLIMIT_FSIZE, &saved);

  EXPECT_EQ(WaitForChildExit(pid, 20s), 1);  // not -1, a death by signal
  EXPECT_NE(ReadFileText(program / "out.txt").find("Could not write downloaded files"),
            std::string::npos);
  EXPECT_FALSE(FileExists(save / "big.mp3"));
  EXPECT_FALSE(FileExists(save / "big.mp3.part"));
}

}  // namespace
