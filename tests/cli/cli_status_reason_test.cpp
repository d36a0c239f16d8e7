// tunefetch-cli says why an item failed when the status word alone cannot:
// the stored password kept from a server that then asks for one.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;

TEST(CliStatusReasonTest, KeptPasswordAndA401AreExplainedOnce) {
  ScratchFolder program, save;
  TestHttpServer server;
  TestHttpReply unauthorized;
  unauthorized.status = 401;
  unauthorized.reason = "Unauthorized";
  server.SetReply(unauthorized);
  std::filesystem::create_hard_link(std::string(TF_PROGRAM_DIR) + "/tunefetch-cli",
                                    program / "tunefetch-cli");
  struct Case {
    const char* site;
    const char* reason;
  };
  const Case cases[] = {
      {"",
       "; server asks for a password; the stored one (SITE/USERID) goes to no server while "
       "SITE/URL is empty\n"},
      {"http://music.example/",
       "; server asks for a password; the stored one (SITE/USERID) goes only to the SITE/URL "
       "server\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.site);
    WriteFileText(program / "tunefetch.ini",
                  "[GENERAL]\nLANGUAGE=English\n[PLAY]\nAUTO_CLEAR=0\n[SITE]\nPROXY_MODE=0\n"
                  "USERID=user\nPASSWORD=secret\nURL=" +
                      std::string(c.site) + "\n");
    WriteFileText(save / "list.mpq", "//!baseurl " + server.Url("/") + "\na.mp3\n");
    const pid_t pid = StartProgram(program / "tunefetch-cli",
                                   {"--quiet", "--save-dir", save.Path(), save / "list.mpq"},
                                   program / "out.txt");
    EXPECT_EQ(WaitForChildExit(pid, 20s), 1);
    const std::string output = ReadFileText(program / "out.txt");
    EXPECT_EQ(output.find(c.reason), output.rfind(c.reason)) << output;
    EXPECT_NE(output.find(c.reason), std::string::npos) << output;
    EXPECT_EQ(server.Requests().back().find("Authorization:"), std::string::npos);
  }
}

}  // namespace
