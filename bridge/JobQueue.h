#pragma once
// Runs the bus window's handler on the bridge's main thread, which alone
// talks to the player, so messages that arrive while the player starts wait
// their turn in arrival order.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/bus/BusDispatcher.h"

class JobQueue : public BusDispatcher {
 public:
  // The thread that constructs the queue is the one that runs its jobs.
  JobQueue() : m_owner(std::this_thread::get_id()) {}

  void Dispatch(std::function<void()> job) override;
  bool IsDispatchThread() const override { return std::this_thread::get_id() == m_owner; }

  // Runs the jobs that are queued or come within `limit`, one after another,
  // and returns when `limit` has passed with nothing left to run.
  void RunFor(std::chrono::milliseconds limit);

 private:
  std::thread::id m_owner;
  std::mutex m_mutex;  // guards m_jobs
  std::condition_variable m_arrived;
  std::deque<std::function<void()>> m_jobs;
};
