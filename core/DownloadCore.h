#pragma once
// The shared download state: the queue, the flags and counters the worker and
// the transfer write and the window reads, the operations through which the
// window steers the worker, and the four panel setters. It is plain C++ so the
// download core can be driven and tested without a display; the application
// object builds on it.
//
// The GUI thread and at most one worker use it, and while the worker fetches
// ahead, its fetcher threads (through their transfers' views). Flags and
// numbers are atomic; the queue has its own mutex; the two panel texts share one mutex
// so neither is read while it is being replaced.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "core/DownloadObserver.h"
#include "core/DownloadQueue.h"
#include "core/EarlyRequest.h"
#include "core/FailureReason.h"
#include "core/TransferLimits.h"

class CFetchAhead;
class CTransferEngine;
class CTransferView;

// The status panel's two idle words. A worker's last step shows
// kStatusRunEnded (five hyphens), so the end of a run is told apart from a
// stop or a panel that never ran; the window's timer replaces it with
// kStatusIdle (four hyphens) at its next tick and keeps that while no worker
// exists, so the window shows the five only for a moment: both are meant.
inline constexpr char kStatusIdle[] = "----";
inline constexpr char kStatusRunEnded[] = "-----";
// Shown while another run holds the item's partial file and this one waits.
inline constexpr char kStatusBusy[] = "BUSY";

// How the attempts at one item ended: its file was on disk, or the last
// attempt's result, with why when it failed.
struct ItemAttempts {
  bool present = false;
  std::int32_t result = 0;
  FailureReason reason;
};

// Values of m_nPhase.
enum TransferPhase : std::int32_t {
  PHASE_IDLE = 0,        // no transfer; the tray shows the idle icon
  PHASE_CONNECTING = 1,  // status "WAIT"
  PHASE_RECEIVING = 2,   // status "OK"
};

class CDownloadCore {
 public:
  CDownloadCore() = default;
  // Stops a worker that still runs and joins it.
  virtual ~CDownloadCore();
  CDownloadCore(const CDownloadCore&) = delete;
  CDownloadCore& operator=(const CDownloadCore&) = delete;

  // True while a worker thread exists (m_dwWorkerThreadId is non-zero).
  bool IsWorkerRunning() const;

  // Reads the download list at `path` (quoted or not) into the queue and
  // starts the worker; false, after message "0002", when the file cannot be
  // opened or is no list (ListLineReader::Open). Setting m_bClosing on
  // another thread ends the reading early. GUI thread (or the terminal front
  // end's main thread).
  bool LoadDownloadList(std::string_view path);

  // Starts the worker unless one exists or the program is closing: 0 when one
  // exists, was started or is not wanted any more, 1 when the thread could
  // not be made (the run flag is then cleared). Called on one thread only
  // (the one that loads lists).
  int StartWorker();

  // The worker's last act: from here on IsWorkerRunning is false and
  // StartWorker makes a new worker.
  void ClearWorker();

  // Waits at most `timeout` for the worker to clear itself; true when no
  // worker runs (at once when none did). Lets a front end that has nothing
  // else to wait for notice the end without polling.
  bool WaitForWorkerEnd(std::chrono::milliseconds timeout);

  // Joins a worker thread that has ended or is ending; with a worker still
  // running it first waits for it. The thread that calls StartWorker calls it.
  void JoinWorker();

  // Shows "STOP" and clears the run flag; the worker and the transfer end at
  // their next check and the head item stays queued.
  void Stop();

  // Shows "SKIP", sets the skip request and clears the run flag; the worker
  // drops the head item and goes on. With no worker, both flags stay so until
  // the next worker starts.
  void Skip();

  // Panel setters. Once m_bClosing is set they return at once, storing and
  // drawing nothing. Otherwise they store the value and, when a window is
  // attached, ask it to repaint that panel. Safe from either thread.
  void SetCurrentFileText(const std::string& text);
  void SetStatusText(const std::string& text);
  // A status word with why: a failed attempt's (its cause not None) or a
  // wait's, in fixed English or with a server's words. The reason outlives
  // the word (the run's end replaces "ERR" at once) until the next attempt
  // begins (ClearStatusReason) or the next item is shown: the window shows it
  // as the status panel's tooltip.
  void SetStatusText(const std::string& text, const FailureReason& reason);
  void ClearStatusReason();
  void SetProgress(std::int32_t percentage);
  void SetIndicatorFrame(std::int32_t frame);

  std::string GetCurrentFileText() const;
  std::string GetStatusText() const;
  // Why the last attempt failed or waits, until the next one begins; else empty.
  std::string GetStatusReason() const;

  // Queue operations. AddItem and RemoveHeadItem tell the attached window's
  // list view; removing from an empty queue does nothing and tells nobody.
  CDownloadItem* GetHeadItem() const;
  void AddItem(std::unique_ptr<CDownloadItem> item);
  void RemoveHeadItem();

  // Expected size (m_nSize) of the item being fetched, 0 when none. Safe on
  // any thread: the item is read under the queue's lock, and removing the
  // head clears m_pCurrentItem under that lock before deleting the item.
  std::int32_t GetCurrentItemSize() const;

  // Shows a message box through the attached window and returns the answer;
  // with no window attached nobody can answer: No for Yes/No, else Ok.
  MessageAnswer ShowMessageBox(const std::string& text, MessageButtons buttons);

  // Attaches the window (or detaches it with nullptr). Calls already running
  // keep the observer alive until they return.
  void SetObserver(std::shared_ptr<DownloadObserver> observer);

  // Limits of every transfer attempt; tests shorten them.
  TransferLimits m_transferLimits;

  // The item being fetched, or none; set by the worker around each attempt.
  // Other threads read it through GetCurrentItemSize, never directly.
  std::atomic<CDownloadItem*> m_pCurrentItem{nullptr};
  // Set once when the program ends (the window's close, a signal to the
  // terminal front end), before Stop: from then on the panel setters do
  // nothing, a list being read ends at its next line and no worker starts.
  std::atomic<bool> m_bClosing{false};
  // Bytes of the shown transfer's file so far, those a resumed transfer
  // found in its part file included.
  std::atomic<std::int32_t> m_nBytesReceived{0};
  // Bytes that came from the network in every transfer since the program
  // started; it only grows, and the rate is its growth.
  std::atomic<std::int64_t> m_nBytesArrived{0};
  std::atomic<bool> m_bDataArrived{false};         // set per block, cleared by the timer
  std::atomic<bool> m_bRunning{false};             // the worker's run flag
  std::atomic<std::int32_t> m_nPhase{PHASE_IDLE};  // a TransferPhase
  std::atomic<bool> m_bSkipRequested{false};       // set by Skip, consumed by the worker

 private:
  mutable std::mutex m_textMutex;
  std::string m_strCurrentFile;           // guarded by m_textMutex
  std::string m_strStatus = kStatusIdle;  // guarded by m_textMutex
  std::string m_strStatusReason;          // guarded by m_textMutex

 public:
  std::atomic<std::int32_t> m_nProgress{0};          // percentage 0-100
  std::atomic<std::int32_t> m_nIndicatorFrame{0};    // 0-7
  std::atomic<std::uint32_t> m_dwWorkerThreadId{0};  // non-zero exactly while a worker exists
  // The last transfer result of the most recent worker, once it has ended:
  // 0 when its last item was fetched or found present, or it had nothing to do.
  std::atomic<std::int32_t> m_nLastResult{0};
  CDownloadQueue m_queue;

 private:
  std::shared_ptr<DownloadObserver> Observer() const;

  friend class CFetchAhead;

  // The worker thread's routine, and its steps.
  void DownloadWorkerProc();
  enum class PlayerReadiness { Ready, Declined };
  PlayerReadiness PreparePlayer();
  // Takes the queue's items in list order and returns the last result:
  // fetching each in turn, or taking what `ahead` fetched.
  std::int32_t WalkQueue(CFetchAhead* ahead);
  // The same with up to `connections` items fetched at once ahead of the
  // head (alone when no fetcher thread could be made).
  std::int32_t FetchAheadOfHead(int connections);
  // Shows the head item's name in the panel and the tray tip.
  void ShowHeadItem(const CDownloadItem& item);
  // The file of `item`, found on disk or fetched, with its last result.
  // With `early`, the request it holds is taken on when it was made for
  // `item`, and the next item's request is made ready into it while this
  // item's reply is awaited, and sent the moment this item's body is in.
  ItemAttempts FetchUnlessPresent(CDownloadItem& item, CTransferEngine& engine, CTransferView& view,
                                  EarlyRequest* early = nullptr);
  std::int32_t FetchWithRetries(CDownloadItem& item, CTransferEngine& engine, CTransferView& view,
                                FailureReason& reason, EarlyRequest* early);
  // The request of the item after `current` in the queue, made ready; null
  // when there is none, its file is present, or it cannot be made now.
  EarlyRequest PrepareNextEarly(const CDownloadItem& current, CTransferEngine& engine,
                                CTransferView& view);
  // Waits, looking at the run flag every runFlagPoll, until no other run
  // holds the item's part file: FETCH_BUSY then, FETCH_STOPPED when the run
  // flag was cleared first.
  std::int32_t WaitWhilePartFileBusy(const CDownloadItem& item, const CTransferView& view);
  // What becomes of the head item after its attempts: handed on or dropped,
  // or nothing when the run ends here with the item kept.
  std::optional<ItemOutcome> JudgeAttempts(const CDownloadItem& item, const ItemAttempts& attempts);
  // Hands the head item on, or drops it, and removes it from the queue
  // (through `ahead` while items are fetched ahead of it).
  void FinishItem(const CDownloadItem& item, ItemOutcome outcome, CFetchAhead* ahead = nullptr);

  // The worker thread; joinable from StartWorker until JoinWorker. Touched
  // only by the thread that starts workers, and by the destructor.
  std::thread m_hWorkerThread;
  std::uint32_t m_nWorkerGeneration = 0;  // source of non-zero worker ids; same thread

  // The items fetched ahead of the head, while a worker fetches ahead; told
  // of every item added so that an idle connection takes it.
  std::mutex m_fetchAheadMutex;
  CFetchAhead* m_pFetchAhead = nullptr;  // guarded by m_fetchAheadMutex

  std::mutex m_workerEndMutex;  // with m_workerEnded, for WaitForWorkerEnd
  std::condition_variable m_workerEnded;

  mutable std::mutex m_observerMutex;
  std::shared_ptr<DownloadObserver> m_observer;  // guarded by m_observerMutex
};
