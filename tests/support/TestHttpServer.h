#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests and benchmarks, or HTTPS
// when given a certificate. It keeps the exact bytes of every request head it
// receives and answers with a reply the test chose, which may misbehave:
// stall or close the connection at a given point. Connections are kept alive
// until the client closes them. Stopping the server (its destructor) ends
// every connection and joins every thread.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// How the server answers a request.
struct TestHttpReply {
  enum class Failure {
    None,
    StallBeforeHead,  // send nothing and keep the connection open
    StallInBody,      // send the head and `failureOffset` body bytes, then nothing
    CloseInBody,      // send the head and `failureOffset` body bytes, then close
    PauseInBody,      // send the head and `failureOffset` body bytes, pause a moment, send the rest
  };

  // How a request that asks for "Range: bytes=N-" is answered. A ranged
  // reply never fails: `failure` is for the request of the whole body.
  enum class Ranges {
    Ignore,      // the whole body, as asked without a range
    Honour,      // 206 from N, whatever If-Range says (416 when N is past the end)
    WrongStart,  // 206 from a block before N (after it when N is 0), said so in Content-Range
  };

  int status = 200;
  std::string reason = "OK";
  std::vector<std::string> headers;  // extra header lines, without line ends
  std::string body;                  // used when patternBytes is 0
  // When above 0 the body is this many bytes of PatternBody, made while
  // sending, so large bodies cost no memory.
  std::uint64_t patternBytes = 0;
  Failure failure = Failure::None;
  std::uint64_t failureOffset = 0;
  // With PauseInBody: when set, the pause lasts until it becomes true (or
  // the server stops) instead of a moment, so a test decides when the body
  // goes on.
  std::shared_ptr<const std::atomic<bool>> resume;
  // When not empty, these bytes are the whole reply, sent as they stand in
  // place of everything above; the connection is then held open without
  // sending until the client leaves, or closed at once with closeAfterRaw.
  std::string raw;
  bool closeAfterRaw = false;
  Ranges ranges = Ranges::Ignore;
};

// The first `size` bytes of the pattern body: printable characters, period
// 61, so a shifted or dropped block shows, and no block begins with "error".
std::string PatternBody(std::uint64_t size);

// A reply of `size` pattern bytes, failing as `failure` after `failureOffset`.
TestHttpReply PatternReply(std::uint64_t size,
                           TestHttpReply::Failure failure = TestHttpReply::Failure::None,
                           std::uint64_t failureOffset = 4096);

// A server's certificate (followed by any intermediate ones) and its key,
// as PEM files.
struct TlsIdentity {
  std::string certificateFile;
  std::string keyFile;
};

struct ssl_ctx_st;

class TestHttpServer {
 public:
  TestHttpServer();  // listens on a free loopback port; throws when it cannot
  // The same over TLS with `identity`; a connection whose handshake fails is
  // counted and closed.
  explicit TestHttpServer(const TlsIdentity& identity);
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  std::uint16_t Port() const { return m_port; }
  // "http://127.0.0.1:<port>" (https with TLS) followed by `target` (which starts with "/").
  std::string Url(std::string_view target) const;

  // The reply for every request whose target has no reply of its own.
  void SetReply(TestHttpReply reply);
  // The reply for requests whose target (the text between the method and
  // the HTTP version, absolute for requests meant for a proxy) is `target`.
  void SetReplyFor(const std::string& target, TestHttpReply reply);

  // Every request head received so far, oldest first, each up to and
  // including its blank line.
  std::vector<std::string> Requests() const;
  std::size_t RequestCount() const;
  // Connections accepted so far.
  std::size_t ConnectionCount() const { return m_connectionCount; }
  // Connections open now, and the most that were open at one time.
  std::size_t OpenConnections() const { return m_openCount; }
  std::size_t PeakOpenConnections() const { return m_peakOpen; }

 private:
  void Start();  // listens and starts accepting
  void AcceptLoop();
  void Serve(int fd);
  TestHttpReply ReplyFor(const std::string& head) const;
  void Record(const std::string& head);

  ssl_ctx_st* m_tls = nullptr;  // set for HTTPS
  int m_listenFd = -1;
  int m_wakeFd = -1;  // eventfd: readable once the server stops
  std::uint16_t m_port = 0;
  std::thread m_acceptThread;
  std::atomic<std::size_t> m_connectionCount{0};
  std::atomic<std::size_t> m_openCount{0};
  std::atomic<std::size_t> m_peakOpen{0};

  mutable std::mutex m_mutex;
  TestHttpReply m_defaultReply;                    // guarded by m_mutex
  std::map<std::string, TestHttpReply> m_replies;  // guarded by m_mutex
  std::vector<std::string> m_requests;             // guarded by m_mutex
  // One per connection, with its "has ended" mark; the accept thread joins
  // ended ones as it goes, the destructor the rest.
  struct ConnectionThread {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> ended;
  };
  std::vector<ConnectionThread> m_connections;
};
