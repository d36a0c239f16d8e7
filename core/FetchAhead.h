#pragma once
// Items fetched ahead of the head of the queue (GENERAL/CONNECTIONS from 2
// to 8), for one run of the worker.
//
// A fixed number of fetcher threads, one connection each, take the queue's
// items in list order: the first item without a job gets one, so the head
// is always among the first taken. Each fetcher keeps its engine, and with
// it one kept connection, from item to item; an engine keeps no second
// connection, so no more connections than fetchers are ever open, over all
// servers. A finished file waits, complete under its final name, until the
// worker comes to it: the worker alone hands items on and removes them, in
// list order, and acts on their results then.
//
// Jobs are kept head first, one for each of the queue's first items, so the
// queue's next item without a job is the one at the index of the job count.
// The worker removes the head and its job together, under the jobs' mutex,
// and never while the job's transfer runs, so a fetcher's item is never
// deleted under it.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/DownloadCore.h"
#include "core/TransferView.h"

class CFetchAhead {
 public:
  // Starts `connections` fetchers and registers with the core, so that an
  // item added during the run is taken by an idle fetcher.
  CFetchAhead(CDownloadCore& core, int connections);
  // Ends every transfer still running (a part file stays for resume, as
  // after a Stop) and joins the fetchers.
  ~CFetchAhead();
  CFetchAhead(const CFetchAhead&) = delete;
  CFetchAhead& operator=(const CFetchAhead&) = delete;

  // Shows the head item's transfer in the shared state and waits until its
  // attempts are over; a box it held back ("0008") is shown then.
  ItemAttempts AwaitHead();
  // False when not one fetcher thread could be made.
  bool Started() const { return !m_fetchers.empty(); }
  // Removes the head item from the queue, with its job.
  void RemoveHead();
  // Lets idle fetchers look at the queue again: an item was added, or a
  // skip was taken and the run goes on.
  void Wake();

 private:
  struct Job {
    Job(CDownloadCore& core, CDownloadItem& item)
        : item(item), view(core, CTransferView::Place::Ahead) {}
    CDownloadItem& item;
    CTransferView view;
    bool ended = false;  // guarded by m_mutex, as is attempts
    ItemAttempts attempts;
  };

  void FetcherLoop();
  // The next item in list order without a job, given one; nullptr when the
  // queue has none or the run is stopped. Called with m_mutex held.
  Job* TakeNextJob();

  CDownloadCore& m_core;
  std::mutex m_mutex;
  std::condition_variable m_changed;        // a job ended, an item came, or the end
  std::deque<std::unique_ptr<Job>> m_jobs;  // guarded by m_mutex; head first
  bool m_bEnding = false;                   // guarded by m_mutex
  std::vector<std::thread> m_fetchers;
};
