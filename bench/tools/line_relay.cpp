// An emulated line between downloaders and a server, both on loopback: what
// a user's connection adds that loopback hides. Each byte from a client
// reaches the server half a round trip after it left the client; each byte
// back reaches the client half a round trip after it has crossed one
// downstream line of a fixed rate that all connections share, in order. A new
// connection pays one more round trip before its first byte goes on (the TCP
// handshake). Used by bench/downloaders.sh.
//   line_relay LISTEN_PORT SERVER_PORT [RTT_MS [MBIT_PER_S]]
// Defaults: 20 ms and 200 Mbit/s; a rate of 0 leaves the line unlimited.
// Runs until it is killed.
//
// The relay must add what it is told and nothing more, since the benchmark
// compares tools against exactly that. So it runs on one thread (no hand-over
// between a reading and a writing thread), times each piece from the moment
// the kernel received it (not from when the relay got round to reading it),
// and makes up for its own delays in passing it on (see Pacer). What is left
// is the time the server and the client themselves take, which a real line
// would not hide either. The relay measures those too: when a client's end
// of a connection reaches its end, it writes to stderr one line
//   turns REQUESTS SERVER_US CLIENT_US
// with the time the server took from each request to its answer, and the
// time the client took from each answer's last byte to its next request.

#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <linux/net_tstamp.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <list>
#include <optional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::nanoseconds;

// A direction stops reading while this much is queued in it: more than the
// largest answer of a workload, so that the server never waits for the line.
constexpr std::size_t kQueueCap = 64 * 1024 * 1024;
// Bytes taken from a socket at once; each such piece crosses the line whole.
constexpr std::size_t kPieceSize = 16 * 1024;
// What the relay learns of its own delays is capped by this, so that a busy
// spell of the machine cannot make it send far ahead or wait long on the clock.
constexpr nanoseconds kMaxCompensation{300'000};
// Arrival stamps are taken on the wall clock; one older than this is read as
// a step of that clock rather than as bytes that waited this long.
constexpr nanoseconds kMaxAge{10'000'000};

nanoseconds g_halfTrip;
double g_nanosecondsPerByte = 0;

// When `size` bytes that reached the relay at `arrival` have crossed the
// shared downstream line, after everything handed to it before.
Clock::time_point CrossLine(Clock::time_point arrival, std::size_t size) {
  static Clock::time_point lineFree;
  lineFree = std::max(lineFree, arrival) +
             nanoseconds(static_cast<long long>(g_nanosecondsPerByte * static_cast<double>(size)));
  return lineFree;
}

// Which way bytes go: requests up to the server, answers down to the client.
enum class Way { kUp, kDown };

// Bytes on their way from one socket to another, each piece with the time
// it is due at the far end. An empty piece is the end of the direction.
struct Direction {
  struct Piece {
    Clock::time_point due;
    std::string bytes;
  };
  explicit Direction(Way w) : way(w) {}
  Way way;
  int from = -1;
  int to = -1;
  std::deque<Piece> pieces;
  std::size_t queued = 0;       // bytes in pieces
  std::size_t sentOfFront = 0;  // bytes of the front piece already sent
  bool ended = false;           // `from` has reached its end
  bool blocked = false;         // `to` is full; waiting until it takes more
  bool done = false;            // the end has been passed on

  bool Reading() const { return !ended && queued < kQueueCap; }
  std::optional<Clock::time_point> NextDue() const {
    if (blocked || pieces.empty()) return std::nullopt;
    return pieces.front().due;
  }
  // Whether the front piece is the last of what has come so far, the one a
  // reader waits for; pieces behind it make up for its being late.
  bool FrontIsLast() const {
    return pieces.size() == 1 || (pieces.size() == 2 && pieces.back().bytes.empty());
  }
};

struct Connection;
// What an epoll event points at: one socket of a connection.
struct Endpoint {
  Connection* connection;
  int fd;
  bool watched = false;  // registered with epoll
};

// Whose turn it is on a connection, and how long each side's turns took.
struct Turns {
  std::optional<Clock::time_point> requestSent;  // all of a request is at the server
  std::optional<Clock::time_point> answerSent;   // all of an answer is at the client
  int requests = 0;
  nanoseconds server{};
  nanoseconds client{};

  // Bytes from the client or the server arrived at `arrival`.
  void Arrived(Way way, Clock::time_point arrival) {
    std::optional<Clock::time_point>& awaited = way == Way::kUp ? answerSent : requestSent;
    if (awaited) {
      (way == Way::kUp ? client : server) += std::max(nanoseconds::zero(), arrival - *awaited);
      if (way == Way::kDown) ++requests;
    }
    awaited.reset();
    // Bytes of the server's mean the answer is not all at the client yet.
    if (way == Way::kDown) answerSent.reset();
  }
  void Report() const {
    std::fprintf(stderr, "turns %d %lld %lld\n", requests,
                 static_cast<long long>(server.count() / 1000),
                 static_cast<long long>(client.count() / 1000));
  }
};

struct Connection {
  Clock::time_point open;  // when the emulated handshake is over
  Turns turns;
  Direction up{Way::kUp};
  Direction down{Way::kDown};
  Endpoint client{this, -1};
  Endpoint server{this, -1};
  bool broken = false;

  Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection() { Close(); }
  void Close() {
    if (client.fd >= 0) close(client.fd);
    if (server.fd >= 0) close(server.fd);
    client.fd = server.fd = -1;
  }
  bool Finished() const { return broken || (up.done && down.done); }
  Direction& ReadingFrom(int fd) { return fd == client.fd ? up : down; }
  Direction& WritingTo(int fd) { return fd == client.fd ? down : up; }
  // When bytes that reached the relay at `arrival` in `direction` are due.
  Clock::time_point Due(const Direction& direction, Clock::time_point arrival,
                        std::size_t size) const {
    if (&direction == &up) return std::max(arrival, open) + g_halfTrip;
    return CrossLine(arrival, size) + g_halfTrip;
  }
};

int g_epoll = -1;

// Watches `endpoint` for what its directions wait for. One that waits for
// nothing leaves epoll, which would otherwise report its hang-up over and over.
void Watch(Endpoint& endpoint) {
  Connection& connection = *endpoint.connection;
  epoll_event event{};
  event.events = (connection.ReadingFrom(endpoint.fd).Reading() ? EPOLLIN : 0u) |
                 (connection.WritingTo(endpoint.fd).blocked ? EPOLLOUT : 0u);
  event.data.ptr = &endpoint;
  const int operation = event.events == 0  ? EPOLL_CTL_DEL
                        : endpoint.watched ? EPOLL_CTL_MOD
                                           : EPOLL_CTL_ADD;
  if (operation == EPOLL_CTL_DEL && !endpoint.watched) return;
  epoll_ctl(g_epoll, operation, endpoint.fd, &event);
  endpoint.watched = operation != EPOLL_CTL_DEL;
}

void Rewatch(Connection& connection) {
  Watch(connection.client);
  Watch(connection.server);
}

// When the kernel received what the last recvmsg returned, on the relay's
// clock; `now` when it did not say.
Clock::time_point ReceivedAt(msghdr& message, Clock::time_point now) {
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
       header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_TIMESTAMPING) continue;
    scm_timestamping stamps{};
    std::memcpy(&stamps, CMSG_DATA(header), sizeof stamps);
    timespec wallNow{};
    clock_gettime(CLOCK_REALTIME, &wallNow);
    const auto age = nanoseconds((wallNow.tv_sec - stamps.ts[0].tv_sec) * 1'000'000'000LL +
                                 (wallNow.tv_nsec - stamps.ts[0].tv_nsec));
    if (stamps.ts[0].tv_sec == 0 || age < nanoseconds::zero()) return now;
    return now - std::min(age, kMaxAge);
  }
  return now;
}

// Takes what `fd` has into its direction, each piece timed by its arrival.
void Read(Connection& connection, int fd) {
  Direction& direction = connection.ReadingFrom(fd);
  char buffer[kPieceSize];
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(scm_timestamping))];
  while (direction.Reading()) {
    iovec data{buffer, sizeof buffer};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = recvmsg(fd, &message, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n < 0) {
      connection.broken = true;
      return;
    }
    const auto arrival = ReceivedAt(message, Clock::now());
    const auto size = static_cast<std::size_t>(n);
    if (n > 0) connection.turns.Arrived(direction.way, arrival);
    direction.pieces.push_back(
        {connection.Due(direction, arrival, size), std::string(buffer, size)});
    direction.queued += size;
    if (n == 0) {
      if (direction.way == Way::kUp) connection.turns.Report();
      direction.ended = true;
      Rewatch(connection);
      return;
    }
  }
  Rewatch(connection);  // the queue is full
}

void NoDelay(int fd) {
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

void StampArrivals(int fd) {
  const int flags = SOF_TIMESTAMPING_RX_SOFTWARE | SOF_TIMESTAMPING_SOFTWARE;
  setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPING, &flags, sizeof flags);
}

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

// Connects a newly accepted client to the server; false when it cannot.
bool Open(Connection& connection, int client, int serverPort) {
  connection.open = Clock::now() + 2 * g_halfTrip;
  connection.client.fd = client;
  connection.server.fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in server = Loopback(serverPort);
  if (connection.server.fd < 0 ||
      connect(connection.server.fd, reinterpret_cast<const sockaddr*>(&server), sizeof server) !=
          0) {
    return false;
  }
  connection.up.from = connection.down.to = client;
  connection.up.to = connection.down.from = connection.server.fd;
  for (int fd : {client, connection.server.fd}) {
    NoDelay(fd);
    StampArrivals(fd);
  }
  Rewatch(connection);
  return true;
}

// How closely a wait must end on time.
enum class Pace {
  kExact,  // ends when due, the last bit waited out on the clock
  kLoose,  // may end as late as the kernel's wake-ups come
};

// When the next piece is to be sent, and how closely.
struct Deadline {
  Clock::time_point sendAt;
  Pace pace;
};

// Keeps pieces on time. A piece has arrived once it is in the far socket,
// which happens within the send that carries it: so sends start early by
// what they have lately taken. The clock's wake-ups come late: so exact
// waits end early by what they have lately overrun, and the rest is waited
// out on the clock. Only the last piece queued in a direction waits
// exactly; a long answer would otherwise keep a core busy waiting.
class Pacer {
 public:
  // When to start sending what is due at `due`.
  Clock::time_point SendAt(Clock::time_point due, Way way) const {
    return due - m_sendTime[static_cast<int>(way)];
  }
  // Learns from a whole piece's send `way` that took `took`; the two ways
  // carry pieces of different sizes, which take different times.
  void Sent(Way way, Clock::duration took) {
    nanoseconds& estimate = m_sendTime[static_cast<int>(way)];
    estimate = Learn(estimate, took);
  }

  // When to wake for `deadline`.
  Clock::time_point WakeAt(const Deadline& deadline) const {
    return deadline.sendAt - (deadline.pace == Pace::kExact ? m_wakeLate : nanoseconds::zero());
  }

  // Waits for an event or until the deadline, whichever is first; fills
  // `events` and returns their number.
  int Wait(std::optional<Deadline> deadline, epoll_event* events, int size) {
    if (!deadline) return epoll_pwait2(g_epoll, events, size, nullptr, nullptr);
    const bool exact = deadline->pace == Pace::kExact;
    const Clock::time_point target = WakeAt(*deadline);
    const auto wait = std::max(nanoseconds::zero(), target - Clock::now());
    const timespec timeout{static_cast<time_t>(wait.count() / 1'000'000'000),
                           static_cast<long>(wait.count() % 1'000'000'000)};
    const int n = epoll_pwait2(g_epoll, events, size, &timeout, nullptr);
    if (n != 0 || wait == nanoseconds::zero() || !exact) return n;
    m_wakeLate = LearnHigh(m_wakeLate, Clock::now() - target);
    while (Clock::now() < deadline->sendAt) {
    }
    return 0;
  }

 private:
  static nanoseconds Learn(nanoseconds estimate, Clock::duration sample) {
    return std::clamp(estimate + (std::chrono::duration_cast<nanoseconds>(sample) - estimate) / 8,
                      nanoseconds::zero(), kMaxCompensation);
  }
  // Wake-ups are late by a little most times and by much now and then: the
  // lead follows their upper range (rising fast, falling slowly), so that
  // few are late at the price of a short wait on the clock.
  static nanoseconds LearnHigh(nanoseconds estimate, Clock::duration sample) {
    const auto late = std::chrono::duration_cast<nanoseconds>(sample);
    return std::clamp(estimate + (late - estimate) / (late > estimate ? 4 : 32),
                      nanoseconds::zero(), kMaxCompensation);
  }
  nanoseconds m_wakeLate{50'000};
  nanoseconds m_sendTime[2]{};
};

// Passes on every piece of `direction` whose time to be sent has come by `now`.
void Deliver(Connection& connection, Direction& direction, Clock::time_point now, Pacer& pacer) {
  const bool wasReading = direction.Reading();
  while (!direction.blocked && !direction.pieces.empty() &&
         pacer.SendAt(direction.pieces.front().due, direction.way) <= now) {
    Direction::Piece& piece = direction.pieces.front();
    if (piece.bytes.empty()) {
      shutdown(direction.to, SHUT_WR);
      direction.done = true;
      direction.pieces.pop_front();
      break;
    }
    const std::size_t left = piece.bytes.size() - direction.sentOfFront;
    const auto start = Clock::now();
    const ssize_t n = send(direction.to, piece.bytes.data() + direction.sentOfFront, left,
                           MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n == static_cast<ssize_t>(piece.bytes.size()))
      pacer.Sent(direction.way, Clock::now() - start);
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      connection.broken = true;
      return;
    }
    if (n < static_cast<ssize_t>(left)) {
      direction.sentOfFront += static_cast<std::size_t>(std::max<ssize_t>(n, 0));
      direction.blocked = true;
      Rewatch(connection);
      return;
    }
    direction.queued -= piece.bytes.size();
    direction.sentOfFront = 0;
    direction.pieces.pop_front();
    if (direction.pieces.empty()) {
      (direction.way == Way::kUp ? connection.turns.requestSent : connection.turns.answerSent) =
          Clock::now();
    }
  }
  if (!wasReading && direction.Reading()) Rewatch(connection);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: line_relay LISTEN_PORT SERVER_PORT [RTT_MS [MBIT_PER_S]]\n");
    return 2;
  }
  const double rttMs = argc > 3 ? std::atof(argv[3]) : 20.0;
  const double mbit = argc > 4 ? std::atof(argv[4]) : 200.0;
  g_halfTrip =
      std::chrono::duration_cast<nanoseconds>(std::chrono::duration<double, std::milli>(rttMs / 2));
  g_nanosecondsPerByte = mbit > 0 ? 8e3 / mbit : 0;
  // The kernel may otherwise end a wait up to 50 us late, to batch wake-ups.
  prctl(PR_SET_TIMERSLACK, 1UL);

  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  const int one = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  const sockaddr_in address = Loopback(std::atoi(argv[1]));
  g_epoll = epoll_create1(EPOLL_CLOEXEC);
  epoll_event listening{};
  listening.events = EPOLLIN;
  listening.data.ptr = nullptr;
  if (listener < 0 || g_epoll < 0 ||
      bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 128) != 0 || epoll_ctl(g_epoll, EPOLL_CTL_ADD, listener, &listening) != 0) {
    std::perror("line_relay");
    return 1;
  }
  const int serverPort = std::atoi(argv[2]);
  std::list<Connection> connections;
  Pacer pacer;
  for (;;) {
    const Clock::time_point now = Clock::now();
    std::optional<Deadline> next;
    for (auto it = connections.begin(); it != connections.end();) {
      for (Direction* direction : {&it->up, &it->down}) {
        if (!it->broken) Deliver(*it, *direction, now, pacer);
        const auto due = direction->NextDue();
        if (!due) continue;
        const Deadline deadline{pacer.SendAt(*due, direction->way),
                                direction->FrontIsLast() ? Pace::kExact : Pace::kLoose};
        if (!next || pacer.WakeAt(deadline) < pacer.WakeAt(*next)) next = deadline;
      }
      it = it->Finished() ? connections.erase(it) : std::next(it);
    }
    epoll_event events[64];
    const int n = pacer.Wait(next, events, 64);
    for (int i = 0; i < n; ++i) {
      auto* endpoint = static_cast<Endpoint*>(events[i].data.ptr);
      if (endpoint == nullptr) {
        const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) continue;
        Connection& connection = connections.emplace_back();
        if (!Open(connection, client, serverPort)) connection.broken = true;
        continue;
      }
      Connection& connection = *endpoint->connection;
      if (connection.broken) continue;
      if (events[i].events & EPOLLOUT) {
        connection.WritingTo(endpoint->fd).blocked = false;
        Rewatch(connection);
      }
      if (events[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) Read(connection, endpoint->fd);
    }
  }
}
