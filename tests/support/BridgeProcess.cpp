#include "tests/support/BridgeProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include "tests/support/ChildProcess.h"
#include "tests/support/PlayerDouble.h"
#include "tests/support/ScratchFolder.h"

extern char** environ;

std::string BridgePath() { return std::string(TF_PROGRAM_DIR) + "/tunefetch-bridge"; }

BridgeProcess::BridgeProcess(const std::vector<std::string>& arguments, const std::string& logPath)
    : m_logPath(logPath) {
  std::vector<std::string> words = {BridgePath()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, logPath.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_pid = 0;
  posix_spawn_file_actions_destroy(&actions);
  if (m_pid != 0) m_window = WaitForWindowOfProcess(m_pid, 5000);
}

BridgeProcess::~BridgeProcess() {
  if (m_pid == 0) return;
  kill(m_pid, SIGTERM);
  WaitForChildExit(m_pid);
}

std::string BridgeProcess::Messages() const {
  return FileExists(m_logPath) ? ReadFileText(m_logPath) : "";
}

int BridgeProcess::WaitForExit(std::chrono::milliseconds limit) {
  if (m_pid == 0) return -2;
  const int status = WaitForChildExit(m_pid, limit);
  m_pid = 0;
  return status;
}
