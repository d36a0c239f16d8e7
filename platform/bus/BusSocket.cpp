#include "platform/bus/BusSocket.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace {

// Waits for `events` on `fd` until `deadline`.
IoOutcome WaitFor(int fd, short events, BusClock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - BusClock::now());
    if (left.count() <= 0) return IoOutcome::TimedOut;
    pollfd entry{fd, events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(left.count()));
    if (ready > 0) return IoOutcome::Done;
    if (ready < 0 && errno != EINTR) return IoOutcome::Failed;
  }
}

}  // namespace

IoOutcome SendAll(int fd, const void* data, std::size_t size, BusClock::time_point deadline) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = send(fd, bytes, size, MSG_NOSIGNAL);
    if (written > 0) {
      bytes += written;
      size -= static_cast<std::size_t>(written);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno == EPIPE || errno == ECONNRESET) return IoOutcome::Closed;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return IoOutcome::Failed;
    if (const IoOutcome waited = WaitFor(fd, POLLOUT, deadline); waited != IoOutcome::Done)
      return waited;
  }
  return IoOutcome::Done;
}

IoOutcome ReadExact(int fd, void* data, std::size_t size, BusClock::time_point deadline) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t got = recv(fd, bytes, size, 0);
    if (got > 0) {
      bytes += got;
      size -= static_cast<std::size_t>(got);
      continue;
    }
    if (got == 0) return IoOutcome::Closed;
    if (errno == EINTR) continue;
    if (errno == ECONNRESET) return IoOutcome::Closed;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return IoOutcome::Failed;
    if (const IoOutcome waited = WaitFor(fd, POLLIN, deadline); waited != IoOutcome::Done)
      return waited;
  }
  return IoOutcome::Done;
}

bool MakeSocketAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

ConnectResult ConnectToSocket(const std::string& path, BusClock::time_point deadline) {
  ConnectResult result;
  sockaddr_un address{};
  if (!MakeSocketAddress(path, address)) return result;
  result.socket = FileDescriptor(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!result.socket.IsOpen()) return result;
  for (;;) {
    if (connect(result.socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
        0) {
      result.outcome = ConnectOutcome::Connected;
      return result;
    }
    if (errno == ENOENT || errno == ECONNREFUSED) {
      result.outcome = ConnectOutcome::NoListener;
      return result;
    }
    // A Unix socket whose listen queue is full answers EAGAIN and cannot be
    // polled for room, so try again shortly.
    if (errno != EAGAIN && errno != EINTR) return result;
    if (BusClock::now() >= deadline) {
      result.outcome = ConnectOutcome::TimedOut;
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}
