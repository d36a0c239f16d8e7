#include "tests/support/LoopbackSocket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

sockaddr_in LoopbackAddress(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

LoopbackSocket BindLoopback() {
  LoopbackSocket bound{socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), 0};
  sockaddr_in address = LoopbackAddress(0);
  socklen_t length = sizeof address;
  if (bound.fd < 0 || bind(bound.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(bound.fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (bound.fd >= 0) close(bound.fd);
    return {};
  }
  bound.port = ntohs(address.sin_port);
  return bound;
}

std::uint16_t RefusingPort() {
  const LoopbackSocket bound = BindLoopback();
  if (bound.fd < 0) throw std::runtime_error("no free loopback port");
  close(bound.fd);
  return bound.port;
}
