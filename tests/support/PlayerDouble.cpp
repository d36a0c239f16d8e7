#include "tests/support/PlayerDouble.h"

#include <signal.h>
#include <spawn.h>

#include <chrono>
#include <sstream>

#include "platform/bus/DesktopBus.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"

extern char** environ;

std::string PlayerDoublePath() { return std::string(TF_TOOLS_DIR) + "/player_double"; }

BusWindowHandle WaitForWindowOfProcess(pid_t pid, int timeoutMs) {
  BusWindowHandle found;
  WaitUntil(
      [&] {
        for (const BusWindowInfo& info : EnumerateWindows()) {
          if (info.pid != pid) continue;
          found = info.handle;
          return true;
        }
        return false;
      },
      std::chrono::milliseconds(timeoutMs));
  return found;
}

PlayerDouble::PlayerDouble(const PlayerDoubleOptions& options) : m_logPath(options.logPath) {
  std::vector<std::string> arguments = {PlayerDoublePath(), "--class", options.className, "--title",
                                        options.title};
  if (options.visibility == WindowVisibility::Hidden) arguments.push_back("--hidden");
  if (options.playing) arguments.push_back("--playing");
  if (!options.logPath.empty()) arguments.insert(arguments.end(), {"--log", options.logPath});
  if (options.answerDelayMs > 0)
    arguments.insert(arguments.end(), {"--answer-delay-ms", std::to_string(options.answerDelayMs)});
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  if (posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    m_pid = 0;
    return;
  }
  m_window = WaitForWindowOfProcess(m_pid, 5000);
}

PlayerDouble::~PlayerDouble() { Stop(); }

bool PlayerDouble::Stop() {
  if (m_pid == 0) return false;
  PostMessage(m_window, WM_CLOSE, 0, 0);
  const bool ended = WaitForChildExit(m_pid) != -2;
  m_pid = 0;
  return ended;
}

void PlayerDouble::Kill() {
  if (m_pid == 0) return;
  kill(m_pid, SIGKILL);
  WaitForChildExit(m_pid);
  m_pid = 0;
}

std::vector<std::string> PlayerDouble::LogLines() const {
  std::vector<std::string> lines;
  std::istringstream text(m_logPath.empty() ? std::string() : ReadFileText(m_logPath));
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}
