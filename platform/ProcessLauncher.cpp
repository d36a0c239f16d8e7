#include "platform/ProcessLauncher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace {

void ReapInBackground(pid_t pid) {
  std::thread([pid] {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

}  // namespace

LaunchResult StartProgram(const std::string& program) {
  if (program.empty()) return {LaunchError::EmptyProgram, 0};
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return {LaunchError::CannotStart, 0};
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

  std::string programCopy = program;  // argv wants writable text
  char* const arguments[] = {programCopy.data(), nullptr};
  pid_t pid = 0;
  // glibc's posix_spawn reports a failed exec as its result, so a missing or
  // unusable program is known here, without waiting.
  const bool hasFolder = program.find('/') != std::string::npos;
  const int failed =
      hasFolder ? posix_spawn(&pid, program.c_str(), nullptr, &attributes, arguments, environ)
                : posix_spawnp(&pid, program.c_str(), nullptr, &attributes, arguments, environ);
  posix_spawnattr_destroy(&attributes);
  if (failed != 0) return {LaunchError::CannotStart, 0};
  ReapInBackground(pid);
  return {LaunchError::None, pid};
}

int RunProgram(const std::vector<std::string>& arguments, std::chrono::milliseconds limit) {
  if (arguments.empty() || arguments.front().empty()) return -1;
  std::vector<std::string> words = arguments;  // argv wants writable text
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return -1;
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null",
                                     fd == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
  pid_t pid = 0;
  const bool hasFolder = words.front().find('/') != std::string::npos;
  const int failed = hasFolder
                         ? posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ)
                         : posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return -1;

  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (true) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0 && errno != EINTR) return -1;
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}
