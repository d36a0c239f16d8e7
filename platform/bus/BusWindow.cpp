#include "platform/bus/BusWindow.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "platform/bus/BusFolder.h"
#include "platform/bus/BusFrame.h"
#include "platform/bus/BusSocket.h"

namespace {

// How long a connected sender may take to deliver its whole frame. The
// listener serves one connection at a time, so this also bounds how long a
// stalled or hostile sender can hold up the others.
constexpr auto kFrameArrivalLimit = std::chrono::seconds(1);
constexpr int kListenBacklog = 64;

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

 private:
  std::recursive_mutex m_mutex;
  bool m_open = true;  // guarded by m_mutex
  BusHandler m_handler;
  BusDispatcher* const m_dispatcher;
  std::thread::id m_listenerThread;  // set before the window is published
};

namespace {

// The windows of this process, for sends that must not go through the socket.
std::mutex g_localWindowsMutex;
std::map<BusWindowHandle, std::shared_ptr<BusWindowCore>> g_localWindows;

bool PeerIsThisUser(int connection) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}

void Reply(int connection, ReplyStatus status, std::int64_t result) {
  const auto reply = EncodeReply(status, result);
  SendAll(connection, reply.data(), reply.size(), BusClock::now() + kFrameArrivalLimit);
}

// Reads one frame from `connection` and has it handled. A malformed frame is
// answered with a refusal; a truncated or late one is dropped.
void ServeConnection(BusFd connection, const std::shared_ptr<BusWindowCore>& core) {
  const auto deadline = BusClock::now() + kFrameArrivalLimit;
  std::array<std::uint8_t, kRequestHeaderSize> headerBytes{};
  if (ReadExact(connection.Get(), headerBytes.data(), headerBytes.size(), deadline) != IoOutcome::Done)
    return;
  RequestHeader header;
  if (DecodeRequestHeader(headerBytes, header) != FrameCheck::Ok) {
    Reply(connection.Get(), ReplyStatus::Refused, 0);
    return;
  }
  header.message.data.resize(header.dataLength);
  if (ReadExact(connection.Get(), header.message.data.data(), header.dataLength, deadline) != IoOutcome::Done)
    return;

  const bool wantsAnswer = header.type == FrameType::Send;
  if (!core->Dispatcher()) {
    const std::optional<std::int64_t> result = core->Run(header.message);
    if (wantsAnswer && result) Reply(connection.Get(), ReplyStatus::Handled, *result);
    return;
  }
  auto owned = std::make_shared<BusFd>(std::move(connection));
  core->Dispatcher()->Dispatch([core, owned, wantsAnswer, message = std::move(header.message)] {
    const std::optional<std::int64_t> result = core->Run(message);
    if (wantsAnswer && result) Reply(owned->Get(), ReplyStatus::Handled, *result);
  });
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
  window->m_info = {AllocateWindowHandle(folder.path), getpid(), visibility, std::string(className),
                    std::string(title)};
  error = BusError::IoError;
  if (!window->m_info.handle) return nullptr;

  const std::string socketPath = SocketPath(folder.path, window->m_info.handle);
  sockaddr_un address{};
  error = BusError::BadArgument;  // the folder's path is too long for a socket
  if (!MakeSocketAddress(socketPath, address)) return nullptr;
  error = BusError::IoError;
  window->m_listener = BusFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  window->m_stopEvent = BusFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!window->m_listener.IsOpen() || !window->m_stopEvent.IsOpen()) return nullptr;
  unlink(socketPath.c_str());  // a file left by a crashed process that had this id
  if (bind(window->m_listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    return nullptr;
  if (chmod(socketPath.c_str(), 0600) != 0 || listen(window->m_listener.Get(), kListenBacklog) != 0) {
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
  for (;;) {
    pollfd waits[2] = {{m_listener.Get(), POLLIN, 0}, {m_stopEvent.Get(), POLLIN, 0}};
    if (poll(waits, 2, -1) < 0) {
      if (errno == EINTR) continue;
      // Nobody will accept any more: unpublish the window, so senders learn
      // at once that it is gone instead of waiting out their time limit.
      RemoveWindowEntry(m_folder, handle);
      return;
    }
    if (waits[1].revents != 0) return;
    BusFd connection(accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!connection.IsOpen()) {
      // Out of descriptors: the pending connection stays queued and poll
      // would wake at once again, so give the process a moment.
      if (errno == EMFILE || errno == ENFILE) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;  // otherwise the peer simply gave up meanwhile
    }
    if (!PeerIsThisUser(connection.Get())) continue;
    ServeConnection(std::move(connection), m_core);
  }
}
