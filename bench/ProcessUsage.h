#pragma once
// What a running process has used, read from /proc: for the benchmarks that
// start the window program.

#include <sys/types.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

// User and system CPU time of `pid` so far, in seconds.
inline double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long ticks = 0;
  for (int index = 3; fields >> field; ++index)
    if (index == 14 || index == 15) ticks += std::stol(field);
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Peak resident memory of `pid`, in KiB, or -1.
inline long PeakKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}
