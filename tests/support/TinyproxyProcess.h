#pragma once
// A real HTTP proxy (Debian's tinyproxy) for tests: started in the foreground
// on a free loopback port with a generated configuration, admitting only
// 127.0.0.1, and ended by the destructor.

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "tests/support/ScratchFolder.h"

class TinyproxyProcess {
 public:
  // Starts tinyproxy and waits (at most five seconds) until it accepts
  // connections; throws when it cannot be started.
  TinyproxyProcess();
  ~TinyproxyProcess();  // SIGTERM, then SIGKILL after two seconds
  TinyproxyProcess(const TinyproxyProcess&) = delete;
  TinyproxyProcess& operator=(const TinyproxyProcess&) = delete;

  std::uint16_t Port() const { return m_port; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

 private:
  ScratchFolder m_folder;  // configuration and log
  std::uint16_t m_port = 0;
  pid_t m_pid = -1;
};
