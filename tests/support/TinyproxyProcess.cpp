#include "tests/support/TinyproxyProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <stdexcept>

#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackSocket.h"

extern char** environ;

namespace {

bool Accepts(std::uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const sockaddr_in address = LoopbackAddress(port);
  const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

}  // namespace

TinyproxyProcess::TinyproxyProcess() {
  m_port = RefusingPort();
  const std::string config = m_folder / "tinyproxy.conf";
  const std::string log = m_folder / "tinyproxy.log";
  WriteFileText(config, "Port " + std::to_string(m_port) +
                            "\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 30\nMaxClients 20\n"
                            "LogLevel Info\nLogFile \"" +
                            log + "\"\n");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                   O_WRONLY | O_APPEND | O_CREAT, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  const char* argv[] = {"tinyproxy", "-d", "-c", config.c_str(), nullptr};
  const int failed =
      posix_spawnp(&m_pid, "tinyproxy", &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) throw std::runtime_error("cannot start tinyproxy");

  bool exited = false;
  if (!WaitUntil([&] {
        return Accepts(m_port) || (exited = waitpid(m_pid, nullptr, WNOHANG) == m_pid);
      }) ||
      exited) {
    if (!exited) WaitForChildExit(m_pid, std::chrono::milliseconds(0));
    throw std::runtime_error("tinyproxy did not start: " + ReadFileText(log));
  }
}

TinyproxyProcess::~TinyproxyProcess() {
  kill(m_pid, SIGTERM);
  WaitForChildExit(m_pid, std::chrono::seconds(2));
}
