#pragma once
// Decides on which thread a window's handler runs. Without a dispatcher the
// handler runs on the window's listener thread. A GUI program passes one that
// hands each job to its GUI thread (wxWidgets: CallAfter) so handlers may touch
// widgets; the sender keeps waiting until the job has run and answered.

#include <functional>

class BusDispatcher {
 public:
  virtual ~BusDispatcher() = default;

  // Queues `job` to run later on the dispatch thread. Called on the window's
  // listener thread; must not run the job inline and must not block for long.
  // A job that is destroyed without running closes its connection, and its
  // sender sees BusError::NoReply.
  virtual void Dispatch(std::function<void()> job) = 0;

  // True when the calling thread is the dispatch thread. A send from that
  // thread to one of its own windows calls the handler directly instead of
  // queueing a job that could only run after the send returned (a deadlock).
  virtual bool IsDispatchThread() const = 0;
};
