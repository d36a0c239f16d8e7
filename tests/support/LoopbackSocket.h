#pragma once
// TCP sockets on 127.0.0.1 for the tests' own servers and refusing ports.

#include <netinet/in.h>

#include <cstdint>

// The address of `port` on 127.0.0.1.
sockaddr_in LoopbackAddress(std::uint16_t port);

// A TCP socket bound to 127.0.0.1 at a port the kernel chose, not yet
// listening (until listen() it refuses connections); fd is -1 when it could
// not be made. The caller closes fd.
struct LoopbackSocket {
  int fd = -1;
  std::uint16_t port = 0;
};
LoopbackSocket BindLoopback();

// A port nobody listens on right now, so a connection to it is refused.
// Throws when no socket can be bound.
std::uint16_t RefusingPort();
