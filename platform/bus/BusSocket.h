#pragma once
// Unix stream socket helpers of the bus. Every socket is non-blocking and
// close-on-exec, and every wait ends at a deadline.

#include <sys/un.h>

#include <chrono>
#include <cstddef>
#include <string>

#include "platform/FileDescriptor.h"

using BusClock = std::chrono::steady_clock;

enum class IoOutcome { Done, Closed, TimedOut, Failed };

// Writes all `size` bytes, waiting for room until `deadline`. Never raises
// SIGPIPE: a peer that went away gives Closed.
IoOutcome SendAll(int fd, const void* data, std::size_t size, BusClock::time_point deadline);

// Reads exactly `size` bytes, waiting until `deadline`. Closed when the peer
// ends the connection before all of them arrived.
IoOutcome ReadExact(int fd, void* data, std::size_t size, BusClock::time_point deadline);

// Fills `address` for the socket file `path`; false when the path does not
// fit the system's limit (107 bytes).
bool MakeSocketAddress(const std::string& path, sockaddr_un& address);

enum class ConnectOutcome { Connected, NoListener, TimedOut, Failed };

struct ConnectResult {
  ConnectOutcome outcome = ConnectOutcome::Failed;
  FileDescriptor socket;
};

// Connects to the listening socket at `path`. NoListener when the file is
// missing or nobody listens on it (its window is gone); a listener whose
// queue is full is retried until `deadline`.
ConnectResult ConnectToSocket(const std::string& path, BusClock::time_point deadline);
