#pragma once
// A bus dispatcher for tests (see the class).

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "platform/bus/BusDispatcher.h"

// Runs jobs on its own thread, as a GUI's CallAfter runs them on the GUI
// thread; or, when paused, keeps them unrun.
class ThreadDispatcher : public BusDispatcher {
 public:
  enum class Mode { Run, Hold };
  explicit ThreadDispatcher(Mode mode) : m_mode(mode), m_thread([this] { Loop(); }) {}
  ~ThreadDispatcher() override {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
  }

  void Dispatch(std::function<void()> job) override {
    {
      std::lock_guard lock(m_mutex);
      m_jobs.push_back(std::move(job));
    }
    m_wake.notify_all();
  }
  bool IsDispatchThread() const override { return std::this_thread::get_id() == m_thread.get_id(); }

  // Runs `job` on the dispatch thread and waits for it.
  void RunThere(std::function<void()> job) {
    std::promise<void> done;
    Dispatch([&] {
      job();
      done.set_value();
    });
    done.get_future().wait();
  }

  std::size_t HeldJobs() {
    std::lock_guard lock(m_mutex);
    return m_jobs.size();
  }
  void DropHeldJobs() {
    std::lock_guard lock(m_mutex);
    m_jobs.clear();
  }
  std::thread::id ThreadId() const { return m_thread.get_id(); }

 private:
  void Loop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
      m_wake.wait(lock, [this] { return m_stop || (m_mode == Mode::Run && !m_jobs.empty()); });
      if (m_stop) return;
      auto job = std::move(m_jobs.front());
      m_jobs.pop_front();
      lock.unlock();
      job();
      lock.lock();
    }
  }

  const Mode m_mode;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<std::function<void()>> m_jobs;
  bool m_stop = false;
  std::thread m_thread;  // last: starts after the rest is ready
};
