#pragma once
// The word the desktop gets when a run ends out of sight: when the worker has
// finished, how many files it fetched, and the notice that says so.

#include <atomic>
#include <optional>
#include <string>

#include "app/desktop/DesktopNotifier.h"
#include "core/DownloadObserver.h"

class RunEndWatch {
 public:
  // The worker is done with an item. Any thread.
  void OnItemDone(ItemOutcome outcome) {
    if (outcome == ItemOutcome::Fetched) ++m_nFetched;
  }

  // Called at every tick of the window's timer with whether a worker exists:
  // the number of files fetched by a run that ended since the last tick, else
  // nullopt. GUI thread.
  std::optional<int> Tick(bool workerRunning) {
    const bool ended = m_bWasRunning && !workerRunning;
    m_bWasRunning = workerRunning;
    if (!ended) return std::nullopt;
    return TakeFetched();
  }

  // The files fetched since the count was last taken; the count starts again.
  int TakeFetched() { return m_nFetched.exchange(0); }

 private:
  std::atomic<int> m_nFetched{0};
  bool m_bWasRunning = false;
};

// Whether clicking the notice opens the save folder: only a program that
// still runs can answer the click.
enum class NoticeClick { OpensFolder, None };

// The notice for a run that fetched `fetched` files into `saveFolder`, in the
// catalogue's language.
DesktopNotice RunEndNotice(int fetched, const std::string& saveFolder, NoticeClick click);
