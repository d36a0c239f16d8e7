// An emulated line between downloaders and a server, both on loopback: what
// a user's connection adds that loopback hides. Each byte from a client
// reaches the server half a round trip later, each byte back reaches the
// client half a round trip after it has crossed one downstream line of a
// fixed rate that all connections share, in order. A new connection pays one
// more round trip before its first byte goes on (the TCP handshake). Used by
// bench/downloaders.sh.
//   line_relay LISTEN_PORT SERVER_PORT [RTT_MS [MBIT_PER_S]]
// Defaults: 20 ms and 200 Mbit/s. Runs until it is killed. Everything read is
// queued without limit, so the server never waits for the line; the clients
// do, as they would behind a slow line.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

Clock::duration g_halfTrip;
double g_nanosecondsPerByte = 0;

// The shared downstream line: when it has sent everything given to it so far.
std::mutex g_lineMutex;
Clock::time_point g_lineFree;  // guarded by g_lineMutex

// When `size` bytes handed to the line now have crossed it.
Clock::time_point CrossLine(std::size_t size) {
  std::lock_guard lock(g_lineMutex);
  const auto now = Clock::now();
  if (g_lineFree < now) g_lineFree = now;
  g_lineFree += std::chrono::nanoseconds(
      static_cast<long long>(g_nanosecondsPerByte * static_cast<double>(size)));
  return g_lineFree;
}

// Bytes on their way in one direction, each piece with the time it arrives.
class Direction {
 public:
  void Put(Clock::time_point due, std::string bytes) {
    std::lock_guard lock(m_mutex);
    m_pieces.push_back({due, std::move(bytes)});
    m_changed.notify_one();
  }
  // An empty piece ends the direction.
  void End(Clock::time_point due) { Put(due, {}); }

  // Waits for the next piece, then for its time; returns it.
  std::string Take() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_pieces.empty(); });
    Piece piece = std::move(m_pieces.front());
    m_pieces.pop_front();
    lock.unlock();
    std::this_thread::sleep_until(piece.due);
    return std::move(piece.bytes);
  }

 private:
  struct Piece {
    Clock::time_point due;
    std::string bytes;
  };
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<Piece> m_pieces;
};

struct Connection {
  int client = -1;
  int server = -1;
  Clock::time_point open;  // when the emulated handshake is over
  Direction up, down;
  ~Connection() {
    close(client);
    close(server);
  }
  // Wakes every thread of the connection once one side has failed.
  void Break() const {
    shutdown(client, SHUT_RDWR);
    shutdown(server, SHUT_RDWR);
  }
};

bool SendAll(int fd, const std::string& bytes) {
  for (std::size_t sent = 0; sent < bytes.size();) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

// Reads `from` into `direction` until the end, timing each piece by `due`.
template <typename Due>
void Read(int from, Direction& direction, Due due) {
  char buffer[16 * 1024];
  for (;;) {
    const ssize_t n = recv(from, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    direction.Put(due(static_cast<std::size_t>(n)),
                  std::string(buffer, static_cast<std::size_t>(n)));
  }
  direction.End(due(0));
}

void Write(const std::shared_ptr<Connection>& connection, Direction& direction, int to) {
  for (;;) {
    const std::string bytes = direction.Take();
    if (bytes.empty()) {
      shutdown(to, SHUT_WR);
      return;
    }
    if (!SendAll(to, bytes)) {
      connection->Break();
      return;
    }
  }
}

void NoDelay(int fd) {
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

void Relay(int client, int serverPort) {
  auto connection = std::make_shared<Connection>();
  connection->client = client;
  connection->open = Clock::now() + 2 * g_halfTrip;
  connection->server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in server = Loopback(serverPort);
  if (connection->server < 0 ||
      connect(connection->server, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
    return;
  }
  NoDelay(client);
  NoDelay(connection->server);
  std::thread([connection] {
    Read(connection->client, connection->up,
         [&](std::size_t) { return std::max(Clock::now(), connection->open) + g_halfTrip; });
  }).detach();
  std::thread([connection] { Write(connection, connection->up, connection->server); }).detach();
  std::thread([connection] {
    Read(connection->server, connection->down,
         [](std::size_t size) { return CrossLine(size) + g_halfTrip; });
  }).detach();
  std::thread([connection] { Write(connection, connection->down, connection->client); }).detach();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: line_relay LISTEN_PORT SERVER_PORT [RTT_MS [MBIT_PER_S]]\n");
    return 2;
  }
  const double rttMs = argc > 3 ? std::atof(argv[3]) : 20.0;
  const double mbit = argc > 4 ? std::atof(argv[4]) : 200.0;
  g_halfTrip = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double, std::milli>(rttMs / 2));
  g_nanosecondsPerByte = 8e3 / mbit;

  // Sleeps end when they are due, not up to the default 50 us later: a
  // request and its answer pass through four of them.
  prctl(PR_SET_TIMERSLACK, 1UL);
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int one = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  const sockaddr_in address = Loopback(std::atoi(argv[1]));
  if (listener < 0 ||
      bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 128) != 0) {
    std::perror("line_relay");
    return 1;
  }
  const int serverPort = std::atoi(argv[2]);
  for (;;) {
    const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client >= 0) Relay(client, serverPort);
  }
}
