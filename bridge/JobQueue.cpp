#include "bridge/JobQueue.h"

void JobQueue::Dispatch(std::function<void()> job) {
  {
    std::lock_guard lock(m_mutex);
    m_jobs.push_back(std::move(job));
  }
  m_arrived.notify_one();
}

void JobQueue::RunFor(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::unique_lock lock(m_mutex);
  while (m_arrived.wait_until(lock, deadline, [this] { return !m_jobs.empty(); })) {
    std::function<void()> job = std::move(m_jobs.front());
    m_jobs.pop_front();
    lock.unlock();
    job();
    lock.lock();
  }
}
