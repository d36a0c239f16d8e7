#pragma once
// The built tunefetch-bridge as a child process of a test, with its messages
// (standard error) kept in a file. Every wait is bounded.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/bus/BusTypes.h"

// Full path of the built bridge.
std::string BridgePath();

class BridgeProcess {
 public:
  // Starts the bridge with `arguments` and waits up to 5 s for its window;
  // check Window().
  BridgeProcess(const std::vector<std::string>& arguments, const std::string& logPath);
  // Kills it if it still runs.
  ~BridgeProcess();
  BridgeProcess(const BridgeProcess&) = delete;
  BridgeProcess& operator=(const BridgeProcess&) = delete;

  BusWindowHandle Window() const { return m_window; }
  // What it wrote to standard error so far.
  std::string Messages() const;
  // Waits up to `limit` for it to end by itself: its exit status, or -2 when
  // it had to be killed.
  int WaitForExit(std::chrono::milliseconds limit);

 private:
  std::string m_logPath;
  pid_t m_pid = 0;
  BusWindowHandle m_window;
};
