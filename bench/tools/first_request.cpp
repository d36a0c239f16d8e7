// Start-up time of a downloader: from starting the program to the moment its
// first request has arrived whole at a loopback listener. Used by
// bench/downloaders.sh for tunefetch-cli and curl alike.
//   first_request RUNS LIST PROGRAM [ARGUMENTS...]
// Before each run, LIST is written as a download list naming one file on
// the listener, and every argument "@URL@" is replaced by that file's URL.
// The listener answers 404, so nothing is stored. Prints the median in
// milliseconds.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"

extern char** environ;

namespace {

int Listen(std::uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, 4) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

// Reads from `fd` until the blank line that ends a request head.
bool ReadHead(int fd) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) return false;
    head.append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

// Milliseconds from the start of the program to its first whole request,
// or -1 when it sent none.
double OneRun(int listener, std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  const int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  const bool arrived = connection >= 0 && ReadHead(connection);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (connection >= 0) {
    const std::string reply =
        "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    (void)!write(connection, reply.data(), reply.size());
    close(connection);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return arrived ? ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: first_request RUNS LIST PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[1]));
  const std::string list = argv[2];
  std::uint16_t port = 0;
  const int listener = Listen(port);
  if (listener < 0) return 1;
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/first.bin";
  WriteFileText(list, "//!baseurl http://127.0.0.1:" + std::to_string(port) + "/\nfirst.bin\n");

  std::vector<std::string> arguments(argv + 3, argv + argc);
  for (std::string& argument : arguments)
    if (argument == "@URL@") argument = url;
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    const double ms = OneRun(listener, arguments);
    if (ms < 0) return 1;
    times.push_back(ms);
  }
  std::sort(times.begin(), times.end());
  std::printf("%.1f\n", times[times.size() / 2]);
  return 0;
}
