#pragma once
// A findable window of this process: registered on the bus with a class and a
// title, it receives the messages other processes (or this one) send and runs
// each through its handler, one at a time in arrival order.
//
// Threads: by default the handler runs on the window's own listener thread.
// With a BusDispatcher it runs on the dispatcher's thread (the GUI thread) and
// the sender waits until it has answered. A send from the thread that runs a
// window's handler to that same window calls the handler directly, as a window
// procedure would be called, so it cannot deadlock.
//
// The object's methods are meant for the thread that created it. It must not
// be destroyed from inside its own handler when that runs on the listener
// thread (let the handler set a flag instead).

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/FileDescriptor.h"
#include "platform/bus/BusDispatcher.h"
#include "platform/bus/BusRegistry.h"
#include "platform/bus/BusTypes.h"

class BusWindowCore;
struct PendingConnection;

class BusWindow {
 public:
  // Registers the window; it is findable when this returns. Null with `error`
  // set when the bus folder is unusable, the class or title breaks the limits
  // of BusRegistry.h, or the socket cannot be made. `dispatcher`, when given,
  // must outlive the window.
  static std::unique_ptr<BusWindow> Create(std::string_view className, std::string_view title,
                                           WindowVisibility visibility, BusHandler handler,
                                           BusDispatcher* dispatcher, BusError& error);

  // Unregisters: the window can no longer be found, pending senders get
  // BusError::NoReply, and the handler is not called again once this returns.
  ~BusWindow();
  BusWindow(const BusWindow&) = delete;
  BusWindow& operator=(const BusWindow&) = delete;

  BusWindowHandle Handle() const { return m_info.handle; }
  const std::string& Title() const { return m_info.title; }

  BusError SetTitle(std::string_view title);
  BusError SetVisibility(WindowVisibility visibility);

  // Runs `message` through the handler of `handle` right here when that window
  // belongs to this process and the calling thread is the one its handler runs
  // on; nothing otherwise (the caller then goes through the socket).
  static std::optional<std::int64_t> HandleInlineIfOwnThread(BusWindowHandle handle,
                                                             const BusMessage& message);

 private:
  BusWindow() = default;
  // Publishes `changed` as the window's entry and keeps it once that worked.
  BusError RewriteEntry(BusWindowInfo changed);
  // The listener thread's loop. It gets its own copy of the handle, as the
  // owner thread may rewrite m_info meanwhile.
  void Listen(BusWindowHandle handle);
  // Accepts the connections waiting in the listen queue and reads what they
  // have sent so far; complete frames go to `completed`.
  void AcceptWaiting(std::deque<PendingConnection>& pending,
                     std::vector<PendingConnection>& completed);

  std::string m_folder;
  BusWindowInfo m_info;
  FileDescriptor m_listener;   // the listening socket
  FileDescriptor m_stopEvent;  // eventfd that ends the listener thread
  std::shared_ptr<BusWindowCore> m_core;
  std::thread m_thread;
};
