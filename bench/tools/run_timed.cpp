// Runs a program once and tells how long it took, finer than /usr/bin/time's
// hundredths: a workload of a tenth of a second would otherwise compare in
// steps of a tenth of itself. Used by bench/downloaders.sh.
//   run_timed PROGRAM [ARGUMENTS...]
// The program's output goes to /dev/null. Prints "WALL CPU RSS" on one line:
// wall and CPU (user + system) seconds to the microsecond, peak resident set
// in KiB. The exit status is the program's, or 127 when it could not start.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>

extern char** environ;

namespace {

double Seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: run_timed PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[1], &quiet, nullptr, argv + 1, environ) != 0) return 127;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return 127;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::printf("%.6f %.6f %ld\n", wall, Seconds(usage.ru_utime) + Seconds(usage.ru_stime),
              usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
