#pragma once
// What a running process has used, read from /proc: for the benchmarks that
// start the window program.

#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

// User and system CPU time so far, in seconds, from a /proc stat file.
inline double StatCpuSeconds(const std::string& statPath) {
  std::ifstream stat(statPath);
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long ticks = 0;
  for (int index = 3; fields >> field; ++index)
    if (index == 14 || index == 15) ticks += std::stol(field);
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// User and system CPU time of `pid` so far, in seconds.
inline double CpuSeconds(pid_t pid) {
  return StatCpuSeconds("/proc/" + std::to_string(pid) + "/stat");
}

// The same per thread name, threads of one name added up; the process's
// first thread (the GUI thread of a wxWidgets program) is "main".
inline std::map<std::string, double> ThreadCpuSeconds(pid_t pid) {
  std::map<std::string, double> seconds;
  std::error_code error;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
    std::string name = "main";
    if (task.path().filename() != std::to_string(pid))
      std::getline(std::ifstream(task.path() / "comm"), name);
    seconds[name] += StatCpuSeconds(task.path() / "stat");
  }
  return seconds;
}

// Peak resident memory of `pid`, in KiB, or -1.
inline long PeakKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}
