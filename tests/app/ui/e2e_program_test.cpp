// The program as a user starts it, under a display: a program folder of its
// own, the local test server, the player double, the desktop bus. A list
// downloads, plays and closes the program; second starts hand over or show
// "0001"; the setup sheet runs alone, ignores lists and closes on WM_CLOSE;
// closing during a transfer, over a shown question and on a signal; small
// mode; a start hidden in the tray; two starts at once. The same under a real
// Wayland compositor (weston, headless), where a test also finds no GTK
// criticals or warnings of the program's own and no crash.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/MainWndCommands.h"
#include "app/RunningInstance.h"
#include "platform/bus/DesktopBus.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PlayerDouble.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/WestonCompositor.h"

namespace {

using namespace std::chrono_literals;

// Output of a shell command line, or empty text.
std::string Shell(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::size_t got = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
    pclose(pipe);
  }
  return output;
}

// Presses Return in the visible X window titled exactly `title` once it
// appears (within 10 s); false when it never did.
bool PressReturnIn(const std::string& title) {
  return !Shell("timeout 10 xdotool search --sync --onlyvisible --name '^" + title +
                "$' windowfocus --sync key Return 2>/dev/null; echo $?")
              .starts_with("124");
}

// True once a message box (titled "Tunefetch") is visible, within 10 s.
bool WaitForMessageBox() {
  return !Shell("timeout 10 xdotool search --sync --onlyvisible --name '^Tunefetch$'").empty();
}

int MainWindowCount() {
  const auto windows = EnumerateWindows();
  return static_cast<int>(
      std::count_if(windows.begin(), windows.end(),
                    [](const BusWindowInfo& info) { return info.title == kMainWindowTitle; }));
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_hard_link(std::string(TF_PROGRAM_DIR) + "/tunefetch",
                                      program / "tunefetch");
    std::filesystem::copy_file(std::string(TF_PROGRAM_DIR) + "/Japanese.lng",
                               program / "Japanese.lng");
    server.SetReply(PatternReply(30000));
  }

  // RESUME=0: a close here removes the unfinished file, as the design has it;
  // keeping it for resume is the transfer's and the terminal's tests' matter.
  void Settings(const std::string& extra) {
    WriteFileText(program / "tunefetch.ini",
                  "[GENERAL]\nLANGUAGE=English\nRESUME=0\n[SITE]\nPROXY_MODE=0\n[CACHE]\nWITH_DIR="
                  "0\nSAVE_DIR=" +
                      save.Path() + "/\n" + extra);
  }

  std::string List(const std::string& name, const std::string& lines) {
    const std::string path = lists / name;
    WriteFileText(path, "//!baseurl " + server.Url("/") + "\n" + lines);
    return path;
  }

  pid_t Start(const std::vector<std::string>& arguments) {
    return StartProgram(program / "tunefetch", arguments,
                        lists / ("out" + std::to_string(m_nStarts++) + ".txt"));
  }

  bool WaitForTitle(std::string_view title, std::chrono::milliseconds limit = 10s) {
    return WaitUntil([&] { return static_cast<bool>(FindWindowByTitle(title)); }, limit);
  }

  // The paths the player was given, in order.
  static std::vector<std::string> Added(const PlayerDouble& player) {
    std::vector<std::string> added;
    for (const std::string& line : player.LogLines())
      if (line.find("kind=100") != std::string::npos)
        added.push_back(line.substr(line.find("data=") + 5, 12));
    return added;
  }

  std::string Setting(const std::string& key) {
    const std::string text = ReadFileText(program / "tunefetch.ini");
    const std::size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return "";
    const std::size_t begin = at + key.size() + 2;
    return text.substr(begin, text.find('\n', begin) - begin);
  }

  ScratchFolder program;
  ScratchFolder save;
  ScratchFolder lists;
  TestHttpServer server;

 private:
  int m_nStarts = 0;
};

// The hex of "<save>/x", as the player double logs the start of each path.
std::string HexStart(const std::string& path) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : path.substr(0, 6)) hex += {digits[c >> 4], digits[c & 15]};
  return hex;
}

TEST_F(ProgramTest, AListDownloadsPlaysAndClosesTheProgram) {
  Settings("[DISP]\nAUTO_CLOSE=1\n");
  PlayerDouble player({.logPath = lists / "player.log"});
  const pid_t pid = Start({List("one.mpq", "a.mp3\nb.mp3\n")});
  EXPECT_EQ(WaitForChildExit(pid, 30s), 0);
  EXPECT_EQ(ReadFileText(save / "a.mp3"), PatternBody(30000));
  EXPECT_EQ(ReadFileText(save / "b.mp3"), PatternBody(30000));
  EXPECT_EQ(Added(player).size(), 2u);
  EXPECT_EQ(Setting("SMALL_START"), "0");
  EXPECT_EQ(Setting("POSITION"), "100,100");
}

TEST_F(ProgramTest, ASecondStartHandsItsListOverAndTheFirstFetchesBothInOrder) {
  Settings("[DISP]\nAUTO_CLOSE=1\n[PLAY]\nAUTO_CLEAR=0\n");
  // A slow player keeps the first worker busy while the second list arrives.
  PlayerDouble player({.logPath = lists / "player.log", .answerDelayMs = 150});
  const pid_t first = Start({List("first.mpq", "1a.mp3\n1b.mp3\n1c.mp3\n")});
  ASSERT_TRUE(WaitForTitle(kMainWindowTitle));
  const pid_t second = Start({List("second.mpq", "2a.mp3\n2b.mp3\n")});
  EXPECT_EQ(WaitForChildExit(second, 15s), 0);
  EXPECT_EQ(WaitForChildExit(first, 40s), 0);
  std::vector<std::string> expected;
  for (const char* name : {"1a.mp3", "1b.mp3", "1c.mp3", "2a.mp3", "2b.mp3"}) {
    EXPECT_TRUE(FileExists(save / name)) << name;
    expected.push_back(name);
  }
  std::vector<std::string> added;
  for (const std::string& line : player.LogLines())
    for (const std::string& name : expected)
      if (line.find("kind=100") != std::string::npos &&
          line.find(HexStart(name)) != std::string::npos)
        added.push_back(name);
  EXPECT_EQ(added, expected);
}

TEST_F(ProgramTest, ASecondStartWithoutAListShowsTheMessageAndEnds) {
  Settings("[DISP]\nAUTO_CLOSE=0\n");
  PlayerDouble player({});
  const pid_t first = Start({List("one.mpq", "a.mp3\n")});
  ASSERT_TRUE(WaitForTitle(kMainWindowTitle));
  const pid_t second = Start({});
  EXPECT_TRUE(PressReturnIn("Tunefetch")) << "no message box";
  EXPECT_EQ(WaitForChildExit(second, 10s), 0);
  EXPECT_TRUE(FindWindowByTitle(kMainWindowTitle)) << "the first instance goes on";
  PostMessage(FindWindowByTitle(kMainWindowTitle), WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForChildExit(first, 10s), 0);
}

TEST_F(ProgramTest, WithoutAListTheSetupSheetRunsAloneAndIgnoresHandedLists) {
  Settings("");
  const pid_t sheet = Start({});
  ASSERT_TRUE(WaitForTitle(kSetupSheetTitle));
  EXPECT_FALSE(FindWindowByTitle(kMainWindowTitle));
  const pid_t second = Start({List("one.mpq", "a.mp3\n")});
  EXPECT_EQ(WaitForChildExit(second, 10s), 0);
  EXPECT_EQ(server.RequestCount(), 0u) << "a list handed to the sheet is not loaded";
  EXPECT_FALSE(FindWindowByTitle(kMainWindowTitle));
  Shell(
      "timeout 10 xdotool search --sync --onlyvisible --name '^QEM - Tunefetch Setup$' windowfocus "
      "--sync key Escape");
  EXPECT_EQ(WaitForChildExit(sheet, 10s), 0);
  EXPECT_FALSE(FindWindowByTitle(kSetupSheetTitle));
}

TEST_F(ProgramTest, ClosingDuringATransferRemovesTheWindowAtOnceAndKeepsModeAndPlace) {
  Settings("[DISP]\nPOSITION=12,34\n");
  PlayerDouble player({});
  server.SetReply(PatternReply(1 << 24, TestHttpReply::Failure::StallInBody, 100000));
  const pid_t pid = Start({List("one.mpq", "big.mp3\n")});
  ASSERT_TRUE(WaitUntil([&] { return server.RequestCount() > 0; }, 10s));
  const BusWindowHandle window = FindWindowByTitle(kMainWindowTitle);
  ASSERT_TRUE(window);
  PostMessage(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([] { return !FindWindowByTitle(kMainWindowTitle); }, 2s));
  EXPECT_EQ(WaitForChildExit(pid, 10s), 0);
  EXPECT_EQ(Setting("SMALL_START"), "0");
  EXPECT_EQ(Setting("POSITION"), "12,34");
  EXPECT_FALSE(FileExists(save / "big.mp3"));
  EXPECT_FALSE(FileExists(save / "big.mp3.part"));
}

TEST_F(ProgramTest, TheSetupSheetClosesOnWmCloseAsOnEscape) {
  Settings("");
  const pid_t sheet = Start({});
  ASSERT_TRUE(WaitForTitle(kSetupSheetTitle));
  PostMessage(FindWindowByTitle(kSetupSheetTitle), WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForChildExit(sheet, 10s), 0);
  EXPECT_FALSE(FindWindowByTitle(kSetupSheetTitle));
}

// The box used to outlive its parent window and crash the program when it
// was answered.
TEST_F(ProgramTest, ClosingOverAShownQuestionAnswersItAndEndsNormally) {
  const struct {
    const char* box;
    const char* settings;
    std::uint32_t message;
    std::int64_t wParam;
  } cases[] = {
      {"0004", "[PLAY]\nAUTO_CLEAR=1\nWINAMP_PATH=/nonexistent/player\n", WM_CLOSE, 0},
      {"0005", "[PLAY]\nAUTO_CLEAR=0\n", kCommandMessage, IDC_CLOSE},
  };
  for (const auto& c : cases) {
    Settings(std::string("[DISP]\nPOSITION=12,34\n") + c.settings);
    const std::string list = lists / "closed.mpq";
    WriteFileText(list, "//!baseurl http://127.0.0.1:1/\na.mp3\n");  // nothing listens on port 1
    const pid_t pid = Start({list});
    ASSERT_TRUE(WaitForMessageBox()) << c.box;
    PostMessage(FindWindowByTitle(kMainWindowTitle), c.message, c.wParam, 0);
    EXPECT_TRUE(WaitUntil(
        [] { return Shell("xdotool search --onlyvisible --name '^Tunefetch$'").empty(); }, 5s))
        << c.box << ": the box stays";
    EXPECT_EQ(WaitForChildExit(pid, 10s), 0) << c.box;
    EXPECT_EQ(Setting("POSITION"), "12,34") << c.box;
  }
}

// Logout (SIGHUP), Ctrl-C and SIGTERM used to kill the program before its
// close steps ran.
TEST_F(ProgramTest, QuitSignalsCloseTheProgramAsItsCloseButtonDoes) {
  Settings("[DISP]\nSMALL_START=1\n");
  PlayerDouble player({});
  server.SetReply(PatternReply(1 << 24, TestHttpReply::Failure::StallInBody, 100000));
  for (const int quitSignal : {SIGTERM, SIGINT, SIGHUP}) {
    const std::size_t requests = server.RequestCount();
    const pid_t pid = Start({List("one.mpq", "big.mp3\n")});
    ASSERT_TRUE(WaitUntil([&] { return server.RequestCount() > requests; }, 10s));
    kill(pid, quitSignal);
    EXPECT_EQ(WaitForChildExit(pid, 10s), 0) << quitSignal;
    EXPECT_EQ(Setting("SMALL_START"), "1") << quitSignal;
    EXPECT_FALSE(FileExists(save / "big.mp3.part")) << quitSignal;
  }
  const pid_t sheet = Start({});
  ASSERT_TRUE(WaitForTitle(kSetupSheetTitle));
  kill(sheet, SIGTERM);
  EXPECT_EQ(WaitForChildExit(sheet, 10s), 0) << "the setup sheet";
}

TEST_F(ProgramTest, SmallStartOpensAtThePanelHeight) {
  Settings("[DISP]\nSMALL_START=1\nAUTO_CLOSE=0\n");
  PlayerDouble player({});
  const pid_t pid = Start({List("one.mpq", "a.mp3\n")});
  ASSERT_TRUE(WaitForTitle(kMainWindowTitle));
  const std::string geometry = Shell(
      "timeout 10 xdotool search --sync --onlyvisible --name '^QEM - Tunefetch$' "
      "getwindowgeometry");
  EXPECT_NE(geometry.find("Geometry: 275x86"), std::string::npos) << geometry;  // the built-in skin
  PostMessage(FindWindowByTitle(kMainWindowTitle), WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForChildExit(pid, 10s), 0);
  EXPECT_EQ(Setting("SMALL_START"), "1");
}

TEST_F(ProgramTest, AStartInTheTrayShowsNoWindowAndStillDownloadsWhereThereIsATray) {
  Settings("[DISP]\nMINIMIZE_START=1\nTRAY_MINIMIZE=1\nAUTO_CLOSE=0\n");
  PlayerDouble player({});
  // With a notification area only the tray icon shows; without one the
  // window is minimised to the taskbar instead, so it can come back.
  for (const bool tray : {true, false}) {
    pid_t trayPid = 0;
    if (tray && (trayPid = fork()) == 0) {
      execlp("trayer", "trayer", static_cast<char*>(nullptr));
      _exit(127);
    }
    const std::string file = tray ? "a.mp3" : "b.mp3";
    const pid_t pid = Start({List("one.mpq", file + "\n")});
    EXPECT_TRUE(WaitUntil([&] { return FileExists(save / file); }, 15s));
    const std::vector<BusWindowInfo> windows = EnumerateWindows();
    const auto main = std::find_if(windows.begin(), windows.end(), [](const BusWindowInfo& info) {
      return info.title == kMainWindowTitle;
    });
    ASSERT_NE(main, windows.end());
    EXPECT_EQ(main->visibility, tray ? WindowVisibility::Hidden : WindowVisibility::Shown) << tray;
    if (tray) {
      EXPECT_EQ(Shell("xdotool search --onlyvisible --name '^QEM - Tunefetch$'"), "");
    }
    PostMessage(main->handle, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForChildExit(pid, 10s), 0);
    EXPECT_EQ(Setting("POSITION"), "100,100") << "a minimised window keeps the stored place";
    if (trayPid) {
      kill(trayPid, SIGTERM);
      WaitForChildExit(trayPid, 5s);
    }
  }
}

TEST_F(ProgramTest, TwoStartsAtOneMomentGiveOneRunningInstance) {
  Settings("[DISP]\nAUTO_CLOSE=1\n[PLAY]\nAUTO_CLEAR=0\n");
  PlayerDouble player({.logPath = {}, .answerDelayMs = 100});
  const std::string first = List("first.mpq", "1a.mp3\n1b.mp3\n");
  const std::string second = List("second.mpq", "2a.mp3\n2b.mp3\n");
  const pid_t one = Start({first});
  const pid_t two = Start({second});
  int most = 0;
  WaitUntil(
      [&] {
        most = std::max(most, MainWindowCount());
        return FileExists(save / "1b.mp3") && FileExists(save / "2b.mp3");
      },
      30s);
  EXPECT_EQ(most, 1);
  EXPECT_EQ(WaitForChildExit(one, 20s), 0);
  EXPECT_EQ(WaitForChildExit(two, 20s), 0);
  for (const char* name : {"1a.mp3", "1b.mp3", "2a.mp3", "2b.mp3"})
    EXPECT_TRUE(FileExists(save / name)) << name;
}

// The program as a native Wayland client. Wayland tells no program where its
// window is, so the stored POSITION must survive every close there.
class WaylandProgramTest : public ProgramTest {
 protected:
  void SetUp() override {
    if (!WestonCompositor::IsInstalled()) GTEST_SKIP() << "weston is not installed";
    m_pWeston = std::make_unique<WestonCompositor>();
    ASSERT_TRUE(m_pWeston->IsRunning()) << m_pWeston->Log();
    ProgramTest::SetUp();
    std::filesystem::create_directories(std::string(TF_TEST_OUTPUT_DIR) + "/wayland");
  }

  // GLib's criticals and warnings in the output of every start so far, but
  // the two about the seat's keyboard that GTK itself prints under a
  // compositor without an input seat.
  std::string Complaints() {
    std::string found;
    for (const auto& entry : std::filesystem::directory_iterator(lists.Path())) {
      if (!entry.path().filename().string().starts_with("out")) continue;
      std::string text = ReadFileText(entry.path());
      for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
        end = std::min(text.find('\n', at), text.size());
        const std::string line = text.substr(at, end - at);
        const bool complaint = line.find("-CRITICAL") != std::string::npos ||
                               line.find("-WARNING") != std::string::npos;
        if (complaint && line.find("gdk_seat_get_keyboard") == std::string::npos)
          found += line + "\n";
      }
    }
    return found;
  }

  void Screenshot(const std::string& name) {
    EXPECT_TRUE(
        m_pWeston->Screenshot(std::string(TF_TEST_OUTPUT_DIR) + "/wayland/" + name + ".png"))
        << name;
  }

  std::unique_ptr<WestonCompositor> m_pWeston;
};

TEST_F(WaylandProgramTest, AListDownloadsClosesTheProgramAndKeepsTheStoredPlace) {
  Settings("[DISP]\nAUTO_CLOSE=1\nPOSITION=12,34\n");
  PlayerDouble player({.logPath = lists / "player.log"});
  const pid_t pid = Start({List("one.mpq", "a.mp3\nb.mp3\n")});
  EXPECT_EQ(WaitForChildExit(pid, 30s), 0);
  EXPECT_EQ(ReadFileText(save / "b.mp3"), PatternBody(30000));
  EXPECT_EQ(Added(player).size(), 2u);
  EXPECT_EQ(Setting("POSITION"), "12,34") << "Wayland gives no place to store";
  EXPECT_EQ(Complaints(), "");
}

TEST_F(WaylandProgramTest, ASecondStartHandsItsListAndActivationTokenOver) {
  Settings("[DISP]\nAUTO_CLOSE=1\n[PLAY]\nAUTO_CLEAR=0\n");
  PlayerDouble player({.logPath = lists / "player.log", .answerDelayMs = 150});
  const pid_t first = Start({List("first.mpq", "1a.mp3\n1b.mp3\n1c.mp3\n")});
  ASSERT_TRUE(WaitForTitle(kMainWindowTitle));
  Screenshot("main-window");
  pid_t second = 0;
  {
    // Not one the compositor made: it refuses to raise the window, and that is all.
    ScopedEnvironment token("XDG_ACTIVATION_TOKEN", "tunefetch-test-token");
    second = Start({List("second.mpq", "2a.mp3\n")});
  }
  EXPECT_EQ(WaitForChildExit(second, 15s), 0);
  EXPECT_EQ(WaitForChildExit(first, 40s), 0);
  for (const char* name : {"1a.mp3", "1b.mp3", "1c.mp3", "2a.mp3"})
    EXPECT_TRUE(FileExists(save / name)) << name;
  EXPECT_EQ(Complaints(), "");
}

TEST_F(WaylandProgramTest, ClosingDuringATransferKeepsModeAndPlace) {
  Settings("[DISP]\nPOSITION=12,34\nSMALL_START=1\n");
  PlayerDouble player({});
  server.SetReply(PatternReply(1 << 24, TestHttpReply::Failure::StallInBody, 100000));
  const pid_t pid = Start({List("one.mpq", "big.mp3\n")});
  ASSERT_TRUE(WaitUntil([&] { return server.RequestCount() > 0; }, 10s));
  Screenshot("small-mode");
  PostMessage(FindWindowByTitle(kMainWindowTitle), WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForChildExit(pid, 10s), 0);
  EXPECT_EQ(Setting("SMALL_START"), "1");
  EXPECT_EQ(Setting("POSITION"), "12,34");
  EXPECT_FALSE(FileExists(save / "big.mp3.part"));
  EXPECT_EQ(Complaints(), "");
}

TEST_F(WaylandProgramTest, TheSetupSheetRunsAloneWithoutACrash) {
  Settings("");
  const pid_t sheet = Start({});
  ASSERT_TRUE(WaitForTitle(kSetupSheetTitle));
  const pid_t second = Start({List("one.mpq", "a.mp3\n")});
  EXPECT_EQ(WaitForChildExit(second, 10s), 0);
  EXPECT_EQ(server.RequestCount(), 0u);
  Screenshot("setup-sheet");
  EXPECT_EQ(WaitForChildExit(sheet, 1s), -2) << "the sheet is still open";
  EXPECT_EQ(Complaints(), "");
}

}  // namespace
