#pragma once
// A D-Bus session bus of one test's own: a dbus-daemon started for it, named
// by DBUS_SESSION_BUS_ADDRESS while it lives, so no test reaches the user's
// session bus and every test meets a bus with nobody on it.

#include <sys/types.h>

#include <memory>
#include <string>

#include "tests/support/ScopedEnvironment.h"

class PrivateSessionBus {
 public:
  // Starts the daemon and waits up to 5 s for its address; check Address().
  PrivateSessionBus();
  // Stops the daemon and puts the old DBUS_SESSION_BUS_ADDRESS back.
  ~PrivateSessionBus();
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

  // Empty when the daemon did not start.
  const std::string& Address() const { return m_address; }

 private:
  pid_t m_pid = 0;
  std::string m_address;
  std::unique_ptr<ScopedEnvironment> m_addressVariable;
};
