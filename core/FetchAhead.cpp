#include "core/FetchAhead.h"

#include <string>
#include <system_error>
#include <utility>

#include "core/HttpFetch.h"
#include "core/TransferEngine.h"

CFetchAhead::CFetchAhead(CDownloadCore& core, int connections) : m_core(core) {
  try {
    for (int i = 0; i < connections; ++i) m_fetchers.emplace_back(&CFetchAhead::FetcherLoop, this);
  } catch (const std::system_error&) {
    // Fewer threads than asked for fetch all the same; none, and the worker
    // fetches on its own (Started).
  }
  std::lock_guard lock(m_core.m_fetchAheadMutex);
  m_core.m_pFetchAhead = this;
}

CFetchAhead::~CFetchAhead() {
  {
    std::lock_guard lock(m_core.m_fetchAheadMutex);
    m_core.m_pFetchAhead = nullptr;
  }
  {
    std::lock_guard lock(m_mutex);
    m_bEnding = true;
    for (const auto& job : m_jobs) job->view.Cancel();
  }
  m_changed.notify_all();
  for (std::thread& fetcher : m_fetchers) fetcher.join();
}

ItemAttempts CFetchAhead::AwaitHead() {
  std::unique_lock lock(m_mutex);
  bool shown = false;
  for (;;) {
    if (!m_jobs.empty()) {
      // The head is the first item taken, so its job is the first one.
      Job& job = *m_jobs.front();
      if (!shown) job.view.Show();
      shown = true;
      if (job.ended) break;
    } else if (!m_core.m_bRunning) {
      // Stopped or skipped before any fetcher took the head: that is the
      // attempt's result, as for an item fetched alone.
      return {.present = false, .result = FETCH_STOPPED, .reason = {}};
    }
    m_changed.wait_for(lock, m_core.m_transferLimits.runFlagPoll);
  }
  Job& job = *m_jobs.front();
  job.view.Show();  // the transfer's final counts and status
  ItemAttempts attempts = job.attempts;
  const std::string held = job.view.TakeHeldMessage();
  lock.unlock();
  if (!held.empty() && m_core.m_bRunning) m_core.ShowMessageBox(held, MessageButtons::Ok);
  return attempts;
}

void CFetchAhead::RemoveHead() {
  std::lock_guard lock(m_mutex);
  m_core.RemoveHeadItem();
  if (!m_jobs.empty()) m_jobs.pop_front();
}

void CFetchAhead::Wake() {
  { std::lock_guard lock(m_mutex); }
  m_changed.notify_all();
}

CFetchAhead::Job* CFetchAhead::TakeNextJob() {
  if (!m_core.m_bRunning) return nullptr;
  CDownloadItem* item =
      m_core.m_queue.Read([index = m_jobs.size()](const CDownloadQueue::Items& items) {
        return index < items.size() ? items[index].get() : nullptr;
      });
  if (!item) return nullptr;
  m_jobs.push_back(std::make_unique<Job>(m_core, *item));
  m_changed.notify_all();  // the worker shows the head's transfer as it begins
  return m_jobs.back().get();
}

void CFetchAhead::FetcherLoop() {
  CTransferEngine engine(CTransferEngine::Connections::KeepOne);
  std::unique_lock lock(m_mutex);
  while (!m_bEnding) {
    Job* job = TakeNextJob();
    if (!job) {
      m_changed.wait(lock);
      continue;
    }
    lock.unlock();
    ItemAttempts attempts = m_core.FetchUnlessPresent(job->item, engine, job->view);
    lock.lock();
    job->attempts = std::move(attempts);
    job->ended = true;
    m_changed.notify_all();
  }
}
