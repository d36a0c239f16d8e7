#include "tests/support/TestHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stdexcept>

#include "tests/support/LoopbackSocket.h"

namespace {

constexpr std::size_t kMaxRequestHead = 64 * 1024;
constexpr std::size_t kSendChunk = 64 * 1024;

enum class Ready { Socket, Stopped };

// Waits until `fd` is ready for `events` or the server stops.
Ready WaitFor(int fd, short events, int wakeFd) {
  pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
  for (;;) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return Ready::Stopped;
    }
    if (fds[1].revents) return Ready::Stopped;
    if (fds[0].revents) return Ready::Socket;
  }
}

// One accepted connection, plain or TLS. Every wait on it ends when the
// server stops.
class Channel {
 public:
  Channel(int fd, int wakeFd, SSL_CTX* tls) : m_fd(fd), m_wakeFd(wakeFd) {
    if (!tls) return;
    m_ssl = SSL_new(tls);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    if (m_ssl) SSL_set_fd(m_ssl, fd);
  }
  ~Channel() {
    if (m_ssl) {
      if (m_secured) SSL_shutdown(m_ssl);
      SSL_free(m_ssl);
    }
    close(m_fd);
  }
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  // The TLS handshake; true at once for a plain connection.
  bool Open() {
    if (!m_ssl) return true;
    m_secured = Retry([this] { return SSL_accept(m_ssl); }) == 1;
    return m_secured;
  }

  // Up to `size` bytes once some arrive; 0 or less at the end or a stop.
  ssize_t Receive(char* buffer, std::size_t size) {
    if (m_ssl) return Retry([&] { return SSL_read(m_ssl, buffer, static_cast<int>(size)); });
    if (WaitFor(m_fd, POLLIN, m_wakeFd) == Ready::Stopped) return -1;
    return recv(m_fd, buffer, size, 0);
  }

  bool SendAll(std::string_view bytes) {
    while (!bytes.empty()) {
      ssize_t sent;
      if (m_ssl) {
        sent =
            Retry([&] { return SSL_write(m_ssl, bytes.data(), static_cast<int>(bytes.size())); });
      } else {
        if (WaitFor(m_fd, POLLOUT, m_wakeFd) == Ready::Stopped) return false;
        sent = send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      }
      if (sent <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
  }

  // Sends nothing until the client leaves or the server stops.
  void Stall() {
    char scratch[4096];
    while (Receive(scratch, sizeof scratch) > 0) {
    }
  }

 private:
  // Runs a TLS operation until it is done, waiting for the socket as it asks.
  template <typename Operation>
  int Retry(Operation operation) {
    for (;;) {
      const int result = operation();
      if (result > 0) return result;
      const int error = SSL_get_error(m_ssl, result);
      const short events = error == SSL_ERROR_WANT_READ    ? POLLIN
                           : error == SSL_ERROR_WANT_WRITE ? POLLOUT
                                                           : 0;
      if (events == 0 || WaitFor(m_fd, events, m_wakeFd) == Ready::Stopped) return -1;
    }
  }

  int m_fd;
  int m_wakeFd;
  SSL* m_ssl = nullptr;
  bool m_secured = false;
};

// Sends body bytes [from, to) of `reply`.
bool SendBody(Channel& channel, const TestHttpReply& reply, std::uint64_t from, std::uint64_t to) {
  if (reply.patternBytes == 0) {
    return channel.SendAll(std::string_view(reply.body).substr(from, to - from));
  }
  std::string chunk;
  for (std::uint64_t offset = from; offset < to; offset += chunk.size()) {
    const std::uint64_t length = std::min<std::uint64_t>(kSendChunk, to - offset);
    chunk.resize(length);
    for (std::uint64_t i = 0; i < length; ++i)
      chunk[i] = static_cast<char>('0' + (offset + i) % 61);
    if (!channel.SendAll(chunk)) return false;
  }
  return true;
}

// Waits until `resume` is true (true) or the server stops (false).
bool WaitForResume(const std::atomic<bool>& resume, int wakeFd) {
  pollfd wake{wakeFd, POLLIN, 0};
  while (!resume) {
    if (poll(&wake, 1, 10) > 0) return false;
  }
  return true;
}

// Turns `reply` into the answer to a ranged request, when `head` asks for a
// range and the reply gives ranges; returns the body offset to start at.
std::uint64_t AnswerRange(const std::string& head, TestHttpReply& reply, std::uint64_t bodySize) {
  constexpr std::string_view kRange = "\r\nRange: bytes=";
  const std::size_t at = head.find(kRange);
  if (at == std::string::npos || reply.ranges == TestHttpReply::Ranges::Ignore) return 0;
  std::uint64_t from = std::stoull(head.substr(at + kRange.size()));
  reply.failure = TestHttpReply::Failure::None;
  if (from >= bodySize) {
    reply.status = 416;
    reply.reason = "Range Not Satisfiable";
    reply.headers.push_back("Content-Range: bytes */" + std::to_string(bodySize));
    return bodySize;
  }
  if (reply.ranges == TestHttpReply::Ranges::WrongStart) from = from >= 1024 ? from - 1024 : 1024;
  reply.status = 206;
  reply.reason = "Partial Content";
  reply.headers.push_back("Content-Range: bytes " + std::to_string(from) + "-" +
                          std::to_string(bodySize - 1) + "/" + std::to_string(bodySize));
  return from;
}

std::string Target(const std::string& head) {
  const std::size_t start = head.find(' ');
  if (start == std::string::npos) return {};
  const std::size_t end = head.find(' ', start + 1);
  if (end == std::string::npos) return {};
  return head.substr(start + 1, end - start - 1);
}

}  // namespace

std::string PatternBody(std::uint64_t size) {
  std::string body(size, '\0');
  for (std::uint64_t i = 0; i < size; ++i) body[i] = static_cast<char>('0' + i % 61);
  return body;
}

TestHttpServer::TestHttpServer() { Start(); }

TestHttpServer::TestHttpServer(const TlsIdentity& identity) {
  m_tls = SSL_CTX_new(TLS_server_method());
  if (!m_tls || SSL_CTX_use_certificate_chain_file(m_tls, identity.certificateFile.c_str()) != 1 ||
      SSL_CTX_use_PrivateKey_file(m_tls, identity.keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
    SSL_CTX_free(m_tls);
    throw std::runtime_error("test HTTPS server cannot load " + identity.certificateFile);
  }
  Start();
}

void TestHttpServer::Start() {
  const LoopbackSocket bound = BindLoopback();
  m_listenFd = bound.fd;
  m_port = bound.port;
  m_wakeFd = eventfd(0, EFD_CLOEXEC);
  if (m_listenFd < 0 || m_wakeFd < 0 || listen(m_listenFd, 64) != 0) {
    if (m_listenFd >= 0) close(m_listenFd);
    if (m_wakeFd >= 0) close(m_wakeFd);
    SSL_CTX_free(m_tls);
    throw std::runtime_error("test HTTP server cannot listen");
  }
  m_acceptThread = std::thread([this] { AcceptLoop(); });
}

TestHttpServer::~TestHttpServer() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(m_wakeFd, &one, sizeof one);
  m_acceptThread.join();
  for (ConnectionThread& connection : m_connections) connection.thread.join();
  close(m_listenFd);
  close(m_wakeFd);
  SSL_CTX_free(m_tls);
}

std::string TestHttpServer::Url(std::string_view target) const {
  return (m_tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(m_port) +
         std::string(target);
}

void TestHttpServer::SetReply(TestHttpReply reply) {
  std::lock_guard lock(m_mutex);
  m_defaultReply = std::move(reply);
}

void TestHttpServer::SetReplyFor(const std::string& target, TestHttpReply reply) {
  std::lock_guard lock(m_mutex);
  m_replies[target] = std::move(reply);
}

std::vector<std::string> TestHttpServer::Requests() const {
  std::lock_guard lock(m_mutex);
  return m_requests;
}

std::size_t TestHttpServer::RequestCount() const {
  std::lock_guard lock(m_mutex);
  return m_requests.size();
}

void TestHttpServer::AcceptLoop() {
  while (WaitFor(m_listenFd, POLLIN, m_wakeFd) == Ready::Socket) {
    const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ++m_connectionCount;
    // Only this thread raises the count, so the peak it stores is exact.
    m_peakOpen = std::max<std::size_t>(m_peakOpen, ++m_openCount);
    std::erase_if(m_connections, [](ConnectionThread& connection) {
      if (!*connection.ended) return false;
      connection.thread.join();
      return true;
    });
    auto ended = std::make_shared<std::atomic<bool>>(false);
    m_connections.push_back({std::thread([this, fd, ended] {
                               Serve(fd);
                               --m_openCount;
                               *ended = true;
                             }),
                             ended});
  }
}

TestHttpReply TestHttpServer::ReplyFor(const std::string& head) const {
  std::lock_guard lock(m_mutex);
  const auto found = m_replies.find(Target(head));
  return found != m_replies.end() ? found->second : m_defaultReply;
}

void TestHttpServer::Record(const std::string& head) {
  std::lock_guard lock(m_mutex);
  m_requests.push_back(head);
}

void TestHttpServer::Serve(int fd) {
  // OpenSSL writes with write(2), which raises SIGPIPE once the client has
  // gone. The signal goes to this thread; blocked, it is dropped with it.
  sigset_t brokenPipe;
  sigemptyset(&brokenPipe);
  sigaddset(&brokenPipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &brokenPipe, nullptr);
  Channel channel(fd, m_wakeFd, m_tls);
  if (!channel.Open()) return;
  std::string pending;
  char buffer[4096];
  for (;;) {
    std::size_t headEnd;
    while ((headEnd = pending.find("\r\n\r\n")) == std::string::npos) {
      if (pending.size() > kMaxRequestHead) return;
      const ssize_t received = channel.Receive(buffer, sizeof buffer);
      if (received <= 0) return;
      pending.append(buffer, static_cast<std::size_t>(received));
    }
    const std::string head = pending.substr(0, headEnd + 4);
    pending.erase(0, headEnd + 4);
    Record(head);

    TestHttpReply reply = ReplyFor(head);
    if (!reply.raw.empty()) {
      if (channel.SendAll(reply.raw) && !reply.closeAfterRaw) channel.Stall();
      return;
    }
    if (reply.failure == TestHttpReply::Failure::StallBeforeHead) {
      channel.Stall();
      return;
    }
    const std::uint64_t bodySize = reply.patternBytes > 0 ? reply.patternBytes : reply.body.size();
    const std::uint64_t from = AnswerRange(head, reply, bodySize);
    std::string replyHead =
        "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n";
    replyHead += "Content-Length: " + std::to_string(bodySize - from) + "\r\n";
    for (const std::string& line : reply.headers) replyHead += line + "\r\n";
    replyHead += "\r\n";
    if (!channel.SendAll(replyHead)) return;
    if (reply.failure == TestHttpReply::Failure::None) {
      if (!SendBody(channel, reply, from, bodySize)) return;
      continue;
    }
    const std::uint64_t sent = std::min(reply.failureOffset, bodySize);
    if (reply.failure == TestHttpReply::Failure::PauseInBody) {
      // Long enough for the client to have taken the first part on its own.
      if (!SendBody(channel, reply, 0, sent)) return;
      if (!reply.resume) std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if (reply.resume && !WaitForResume(*reply.resume, m_wakeFd)) return;
      if (!SendBody(channel, reply, sent, bodySize)) return;
      continue;
    }
    if (SendBody(channel, reply, 0, sent) && reply.failure == TestHttpReply::Failure::StallInBody) {
      channel.Stall();
    }
    return;
  }
}

TestHttpReply PatternReply(std::uint64_t size, TestHttpReply::Failure failure,
                           std::uint64_t failureOffset) {
  TestHttpReply reply;
  reply.patternBytes = size;
  reply.failure = failure;
  reply.failureOffset = failureOffset;
  return reply;
}
