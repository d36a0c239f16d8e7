#include "platform/ProcessLauncher.h"

#include <spawn.h>
#include <sys/wait.h>

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
  const int failed = hasFolder ? posix_spawn(&pid, program.c_str(), nullptr, &attributes, arguments, environ)
                               : posix_spawnp(&pid, program.c_str(), nullptr, &attributes, arguments, environ);
  posix_spawnattr_destroy(&attributes);
  if (failed != 0) return {LaunchError::CannotStart, 0};
  ReapInBackground(pid);
  return {LaunchError::None, pid};
}
