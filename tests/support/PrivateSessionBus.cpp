#include "tests/support/PrivateSessionBus.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>

#include "tests/support/ChildProcess.h"

extern char** environ;

namespace {

// The first line the daemon prints, waiting up to `limitMs` in all.
std::string ReadLine(int fd, int limitMs) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ready{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) return {};
    char buffer[256];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) return {};
    line.append(buffer, static_cast<size_t>(got));
  }
  return line.substr(0, line.find('\n'));
}

}  // namespace

PrivateSessionBus::PrivateSessionBus() {
  int output[2];
  if (pipe(output) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  char program[] = "dbus-daemon";
  char session[] = "--session";
  char noFork[] = "--nofork";
  char print[] = "--print-address=1";
  char* argv[] = {program, session, noFork, print, nullptr};
  if (posix_spawnp(&m_pid, program, &actions, nullptr, argv, environ) != 0) m_pid = 0;
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  if (m_pid != 0) m_address = ReadLine(output[0], 5000);
  close(output[0]);
  if (!m_address.empty())
    m_addressVariable = std::make_unique<ScopedEnvironment>("DBUS_SESSION_BUS_ADDRESS", m_address);
}

PrivateSessionBus::~PrivateSessionBus() {
  if (m_pid != 0) {
    kill(m_pid, SIGTERM);
    WaitForChildExit(m_pid);
  }
}
