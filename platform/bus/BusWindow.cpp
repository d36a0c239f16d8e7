#include "platform/bus/BusWindow.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "platform/bus/BusFolder.h"
#include "platform/bus/BusFrame.h"
#include "platform/bus/BusSocket.h"
#include "platform/bus/RequestReader.h"

namespace {

// How long a connected sender may take to deliver its whole frame, counted
// from the accept. Connections are read side by side, so a stalled sender
// delays nobody else.
constexpr auto kFrameArrivalLimit = std::chrono::seconds(1);
// How long writing a reply may wait for room in the sender's socket.
constexpr auto kReplyWriteLimit = std::chrono::seconds(1);
constexpr int kListenBacklog = 64;
// Connections whose frame is still arriving; when one more comes in, the
// oldest of them is closed. Honest senders write their frame at once, so only
// stalled ones are ever this many.
constexpr std::size_t kMaxPendingConnections = 32;
// Messages handed to a dispatcher and not yet run. Beyond this a message is
// dropped: its connection is closed unanswered (the sender of a send sees
// "no reply" at once). Only queued sends keep their connection open.
constexpr std::size_t kMaxQueuedJobs = 64;

}  // namespace

// What the listener thread, queued jobs and inline sends share with the
// window; it outlives the BusWindow while a queued job still holds it.
class BusWindowCore {
 public:
  BusWindowCore(BusHandler handler, BusDispatcher* dispatcher)
      : m_handler(std::move(handler)), m_dispatcher(dispatcher) {}

  // The handler's result, or nothing once the window is closed. Calls are
  // serialised; the same thread may re-enter (a handler sending to itself).
  std::optional<std::int64_t> Run(const BusMessage& message) {
    std::lock_guard lock(m_mutex);
    if (!m_open) return std::nullopt;
    return m_handler(message);
  }

  // Waits for a running handler, then makes every later Run a no-op.
  void Close() {
    std::lock_guard lock(m_mutex);
    m_open = false;
  }

  bool IsHandlerThread() const {
    return m_dispatcher ? m_dispatcher->IsDispatchThread()
                        : std::this_thread::get_id() == m_listenerThread;
  }

  BusDispatcher* Dispatcher() const { return m_dispatcher; }
  void SetListenerThread(std::thread::id id) { m_listenerThread = id; }

  // Counts a job into the dispatcher's queue; false when the queue is full.
  bool TakeQueueSlot() {
    std::size_t queued = m_queuedJobs.load();
    do {
      if (queued >= kMaxQueuedJobs) return false;
    } while (!m_queuedJobs.compare_exchange_weak(queued, queued + 1));
    return true;
  }
  // A job ran or was destroyed unrun.
  void ReleaseQueueSlot() { --m_queuedJobs; }

 private:
  std::recursive_mutex m_mutex;
  bool m_open = true;  // guarded by m_mutex
  BusHandler m_handler;
  BusDispatcher* const m_dispatcher;
  std::thread::id m_listenerThread;  // set before the window is published
  std::atomic<std::size_t> m_queuedJobs{0};
};

// A connection whose request frame is still arriving, or has just arrived.
struct PendingConnection {
  FileDescriptor connection;
  BusClock::time_point deadline;
  RequestReader reader;
};

namespace {

// The windows of this process, for sends that must not go through the socket.
std::mutex g_localWindowsMutex;
std::map<BusWindowHandle, std::shared_ptr<BusWindowCore>> g_localWindows;

bool PeerIsThisUser(int connection) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
         peer.uid == geteuid();
}

void Reply(int connection, ReplyStatus status, std::int64_t result) {
  const auto reply = EncodeReply(status, result);
  SendAll(connection, reply.data(), reply.size(), BusClock::now() + kReplyWriteLimit);
}

// A dispatcher job's hold on its queue slot, released however the job ends.
class QueueSlot {
 public:
  explicit QueueSlot(std::shared_ptr<BusWindowCore> core) : m_core(std::move(core)) {}
  ~QueueSlot() { m_core->ReleaseQueueSlot(); }
  QueueSlot(const QueueSlot&) = delete;
  QueueSlot& operator=(const QueueSlot&) = delete;

 private:
  std::shared_ptr<BusWindowCore> m_core;
};

// Has a complete frame handled: at once without a dispatcher, else as a job.
void HandleRequest(FileDescriptor connection, RequestHeader request,
                   const std::shared_ptr<BusWindowCore>& core) {
  const bool wantsAnswer = request.type == FrameType::Send;
  if (!core->Dispatcher()) {
    const std::optional<std::int64_t> result = core->Run(request.message);
    if (wantsAnswer && result) Reply(connection.Get(), ReplyStatus::Handled, *result);
    return;
  }
  if (!core->TakeQueueSlot()) return;    // dropped; closing tells a waiting sender
  if (!wantsAnswer) connection.Reset();  // nobody waits for a post's answer
  auto slot = std::make_shared<QueueSlot>(core);
  auto owned = std::make_shared<FileDescriptor>(std::move(connection));
  core->Dispatcher()->Dispatch([core, slot, owned, message = std::move(request.message)] {
    const std::optional<std::int64_t> result = core->Run(message);
    if (owned->IsOpen() && result) Reply(owned->Get(), ReplyStatus::Handled, *result);
  });
}

// Moves a connection on by the state of its frame: still arriving, complete
// (to be handled), refused (answered and closed) or dropped (closed).
void Settle(PendingConnection each, std::deque<PendingConnection>& pending,
            std::vector<PendingConnection>& completed) {
  switch (each.reader.Current()) {
    case RequestReader::State::Incomplete:
      pending.push_back(std::move(each));
      return;
    case RequestReader::State::Complete:
      completed.push_back(std::move(each));
      return;
    case RequestReader::State::Refused:
      Reply(each.connection.Get(), ReplyStatus::Refused, 0);
      return;
    case RequestReader::State::Dropped:
      return;
  }
}

}  // namespace

std::unique_ptr<BusWindow> BusWindow::Create(std::string_view className, std::string_view title,
                                             WindowVisibility visibility, BusHandler handler,
                                             BusDispatcher* dispatcher, BusError& error) {
  const BusFolderResult folder = OpenBusFolder();
  error = folder.error;
  if (error != BusError::None) return nullptr;
  error = BusError::BadArgument;
  if (!IsValidClassName(className) || !IsValidTitle(title) || !handler) return nullptr;

  std::unique_ptr<BusWindow> window(new BusWindow());
  window->m_folder = folder.path;
  window->m_info = {AllocateWindowHandle(folder.path, error), getpid(), visibility,
                    std::string(className), std::string(title)};
  if (!window->m_info.handle) return nullptr;

  const std::string socketPath = SocketPath(folder.path, window->m_info.handle);
  sockaddr_un address{};
  error = BusError::BadArgument;  // the folder's path is too long for a socket
  if (!MakeSocketAddress(socketPath, address)) return nullptr;
  error = BusError::IoError;
  window->m_listener =
      FileDescriptor(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  window->m_stopEvent = FileDescriptor(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!window->m_listener.IsOpen() || !window->m_stopEvent.IsOpen()) return nullptr;
  unlink(socketPath.c_str());  // a file left by a crashed process that had this id
  if (bind(window->m_listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
      0)
    return nullptr;
  if (chmod(socketPath.c_str(), 0600) != 0 ||
      listen(window->m_listener.Get(), kListenBacklog) != 0) {
    unlink(socketPath.c_str());
    return nullptr;
  }

  window->m_core = std::make_shared<BusWindowCore>(std::move(handler), dispatcher);
  window->m_thread = std::thread(&BusWindow::Listen, window.get(), window->m_info.handle);
  window->m_core->SetListenerThread(window->m_thread.get_id());
  {
    std::lock_guard lock(g_localWindowsMutex);
    g_localWindows[window->m_info.handle] = window->m_core;
  }
  error = WriteWindowEntry(folder.path, window->m_info);
  if (error != BusError::None) return nullptr;  // the destructor takes everything down again
  return window;
}

BusWindow::~BusWindow() {
  if (m_info.handle) {
    {
      std::lock_guard lock(g_localWindowsMutex);
      g_localWindows.erase(m_info.handle);
    }
    RemoveWindowEntry(m_folder, m_info.handle);
  }
  if (m_thread.joinable()) {
    const std::uint64_t one = 1;
    if (write(m_stopEvent.Get(), &one, sizeof one) != sizeof one) {
      // An eventfd write of 1 fails only on counter overflow, which cannot
      // happen with a single writer; the join below would hang otherwise.
    }
    m_thread.join();
  }
  if (m_core) m_core->Close();
}

BusError BusWindow::SetTitle(std::string_view title) {
  if (!IsValidTitle(title)) return BusError::BadArgument;
  BusWindowInfo changed = m_info;
  changed.title = title;
  return RewriteEntry(std::move(changed));
}

BusError BusWindow::SetVisibility(WindowVisibility visibility) {
  BusWindowInfo changed = m_info;
  changed.visibility = visibility;
  return RewriteEntry(std::move(changed));
}

BusError BusWindow::RewriteEntry(BusWindowInfo changed) {
  const BusError error = WriteWindowEntry(m_folder, changed);
  if (error == BusError::None) m_info = std::move(changed);
  return error;
}

std::optional<std::int64_t> BusWindow::HandleInlineIfOwnThread(BusWindowHandle handle,
                                                               const BusMessage& message) {
  std::shared_ptr<BusWindowCore> core;
  {
    std::lock_guard lock(g_localWindowsMutex);
    const auto found = g_localWindows.find(handle);
    if (found == g_localWindows.end()) return std::nullopt;
    core = found->second;
  }
  if (!core->IsHandlerThread()) return std::nullopt;
  return core->Run(message);
}

void BusWindow::Listen(BusWindowHandle handle) {
  std::deque<PendingConnection> pending;  // oldest first
  std::vector<pollfd> waits;
  for (;;) {
    waits.assign({{m_listener.Get(), POLLIN, 0}, {m_stopEvent.Get(), POLLIN, 0}});
    auto timeout = std::chrono::milliseconds(-1);  // none pending: wait for ever
    for (const PendingConnection& each : pending) {
      waits.push_back({each.connection.Get(), POLLIN, 0});
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(each.deadline - BusClock::now());
      const auto bounded = std::max(left, std::chrono::milliseconds(0));
      if (timeout.count() < 0 || bounded < timeout) timeout = bounded;
    }
    if (poll(waits.data(), waits.size(), static_cast<int>(timeout.count())) < 0) {
      if (errno == EINTR) continue;
      // Nobody will accept any more: unpublish the window, so senders learn
      // at once that it is gone instead of waiting out their time limit.
      RemoveWindowEntry(m_folder, handle);
      return;
    }
    if (waits[1].revents != 0) return;

    // Read every connection that has bytes before giving up on late ones: a
    // frame that arrived while a handler ran is not late.
    std::vector<PendingConnection> completed;
    std::deque<PendingConnection> stillPending;
    const auto now = BusClock::now();
    for (std::size_t i = 0; i < pending.size(); ++i) {
      PendingConnection& each = pending[i];
      if (waits[i + 2].revents != 0) each.reader.ReadAvailable(each.connection.Get());
      if (each.reader.Current() == RequestReader::State::Incomplete && now >= each.deadline)
        continue;
      Settle(std::move(each), stillPending, completed);
    }
    pending = std::move(stillPending);

    if (waits[0].revents != 0) AcceptWaiting(pending, completed);
    for (PendingConnection& each : completed)
      HandleRequest(std::move(each.connection), std::move(each.reader.Request()), m_core);
  }
}

void BusWindow::AcceptWaiting(std::deque<PendingConnection>& pending,
                              std::vector<PendingConnection>& completed) {
  // At most a full set of pending connections per round, so a flood cannot
  // keep the listener from reading what it already accepted.
  for (std::size_t accepted = 0; accepted < kMaxPendingConnections;) {
    FileDescriptor connection(
        accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!connection.IsOpen()) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      // Out of descriptors: the connection stays queued and poll would wake
      // at once again, so give the process a moment.
      if (errno == EMFILE || errno == ENFILE)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      return;  // otherwise nobody is waiting any more
    }
    ++accepted;
    if (!PeerIsThisUser(connection.Get())) continue;
    if (pending.size() >= kMaxPendingConnections) pending.pop_front();
    PendingConnection added{std::move(connection), BusClock::now() + kFrameArrivalLimit, {}};
    added.reader.ReadAvailable(added.connection.Get());  // most senders have written it all by now
    Settle(std::move(added), pending, completed);
  }
}
