// A downloader that does nothing but ask, one file after another: over one
// kept connection it sends each request the moment the last byte of the
// answer before it is in, and throws the bodies away. bench/downloaders.sh
// runs it on the emulated line as the least time any downloader that
// fetches one file at a time can take there; what it takes above the line's
// floor is the server's and the machine's own time for each request.
//   bare_client URL_FILE
// URL_FILE holds http://IPV4:PORT/PATH lines, all of one server. Exits 1 on
// anything but a 200 with a Content-Length.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Url {
  std::string host;  // with its port, as the Host line gives it
  std::string path;
};

bool ParseUrl(const std::string& line, Url& url) {
  constexpr std::string_view kScheme = "http://";
  if (!line.starts_with(kScheme)) return false;
  const std::size_t slash = line.find('/', kScheme.size());
  if (slash == std::string::npos) return false;
  url.host = line.substr(kScheme.size(), slash - kScheme.size());
  url.path = line.substr(slash);
  return url.host.find(':') != std::string::npos;
}

int Connect(const std::string& host) {
  const std::size_t colon = host.find(':');
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(std::atoi(host.c_str() + colon + 1)));
  if (inet_pton(AF_INET, host.substr(0, colon).c_str(), &address.sin_addr) != 1) return -1;
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (fd < 0 || connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    return -1;
  return fd;
}

bool SendAll(int fd, const std::string& text) {
  for (std::size_t sent = 0; sent < text.size();) {
    const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

// Reads one whole answer (head and body); false unless it is a 200 with a
// Content-Length.
bool ReadAnswer(int fd, std::vector<char>& buffer) {
  std::size_t have = 0;
  long long left = -1;  // body bytes still to come, once the head is in
  for (;;) {
    const ssize_t n = read(fd, buffer.data() + have, buffer.size() - have);
    if (n <= 0) return false;
    if (left >= 0) {
      left -= n;
      if (left <= 0) return true;
      continue;
    }
    have += static_cast<std::size_t>(n);
    const std::string_view text(buffer.data(), have);
    const std::size_t headEnd = text.find("\r\n\r\n");
    if (headEnd == std::string_view::npos) {
      if (have == buffer.size()) return false;
      continue;
    }
    const std::string_view head = text.substr(0, headEnd + 2);
    if (!head.starts_with("HTTP/1.1 200 ")) return false;
    std::size_t at = 0;
    for (at = head.find("\r\n"); at != std::string_view::npos; at = head.find("\r\n", at + 2)) {
      constexpr std::string_view kLength = "Content-Length:";
      if (strncasecmp(head.data() + at + 2, kLength.data(), kLength.size()) == 0) break;
    }
    if (at == std::string_view::npos) return false;
    left = std::atoll(head.data() + at + 2 + 15) - static_cast<long long>(have - headEnd - 4);
    have = 0;
    if (left <= 0) return true;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bare_client URL_FILE\n");
    return 2;
  }
  std::ifstream list(argv[1]);
  std::vector<Url> urls;
  for (std::string line; std::getline(list, line);) {
    if (line.empty()) continue;
    if (!ParseUrl(line, urls.emplace_back())) {
      std::fprintf(stderr, "bare_client: not http://IPV4:PORT/PATH: %s\n", line.c_str());
      return 2;
    }
  }
  if (urls.empty()) return 0;
  const int fd = Connect(urls.front().host);
  if (fd < 0) {
    std::perror("bare_client");
    return 1;
  }
  std::vector<char> buffer(1 << 20);
  for (const Url& url : urls) {
    if (!SendAll(fd, "GET " + url.path + " HTTP/1.1\r\nHost: " + url.host + "\r\n\r\n") ||
        !ReadAnswer(fd, buffer)) {
      std::fprintf(stderr, "bare_client: no whole answer for %s\n", url.path.c_str());
      return 1;
    }
  }
  close(fd);
  return 0;
}
