// The download worker: one thread that walks the queue head first, fetching
// each item (or finding it on disk), handing finished files to the player and
// removing them, until the queue is empty, the run is stopped, or an error
// ends it. With GENERAL/CONNECTIONS above 1 the items behind the head are
// fetched at the same time (CFetchAhead), and the worker still takes them in
// list order.

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <system_error>
#include <thread>

#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/FetchAhead.h"
#include "core/HttpFetch.h"
#include "core/PartFile.h"
#include "core/PlayerControl.h"
#include "core/TransferEngine.h"
#include "core/TransferView.h"
#include "platform/Utf8Prefix.h"

namespace {

// A file from an earlier run, or an earlier item of the same local name. Only
// a regular file counts: a folder (a list line naming one of the folders the
// list itself made) is never handed to the player as a finished file, and a
// leftover ".part" file has another name.
bool IsPresentOnDisk(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The most items fetched at once (GENERAL/CONNECTIONS): more would not be
// polite to one server.
constexpr std::int32_t kMaxConnections = 8;

}  // namespace

CDownloadCore::~CDownloadCore() {
  m_bRunning = false;
  JoinWorker();
}

int CDownloadCore::StartWorker() {
  if (IsWorkerRunning() || m_bClosing) return 0;
  JoinWorker();  // the previous worker has cleared itself; let its thread go
  m_bRunning = true;
  // A close on another thread sets m_bClosing before it stops: either it is
  // seen here, or its Stop comes after the store above.
  if (m_bClosing) {
    m_bRunning = false;
    return 0;
  }
  m_bSkipRequested = false;
  if (++m_nWorkerGeneration == 0) ++m_nWorkerGeneration;
  // The id is set before the thread exists, so the worker's ClearWorker can
  // never be overtaken by it.
  m_dwWorkerThreadId = m_nWorkerGeneration;
  try {
    m_hWorkerThread = std::thread(&CDownloadCore::DownloadWorkerProc, this);
  } catch (const std::system_error&) {
    m_dwWorkerThreadId = 0;
    m_bRunning = false;
    return 1;
  }
  return 0;
}

void CDownloadCore::ClearWorker() {
  {
    std::lock_guard lock(m_workerEndMutex);
    m_dwWorkerThreadId = 0;
  }
  m_workerEnded.notify_all();
}

bool CDownloadCore::WaitForWorkerEnd(std::chrono::milliseconds timeout) {
  std::unique_lock lock(m_workerEndMutex);
  return m_workerEnded.wait_for(lock, timeout, [this] { return !IsWorkerRunning(); });
}

void CDownloadCore::JoinWorker() {
  if (m_hWorkerThread.joinable()) m_hWorkerThread.join();
}

CDownloadCore::PlayerReadiness CDownloadCore::PreparePlayer() {
  // A player that is playing keeps its playlist.
  if (!IsSettingOn("PLAY", "AUTO_CLEAR") || IsPlayerPlaying()) return PlayerReadiness::Ready;
  if (FindPlayer(PlayerStart::StartWhenMissing)) {
    PlayerStopAndClear();
    return PlayerReadiness::Ready;
  }
  const MessageAnswer answer = ShowMessageBox(GetMessageText("0004"), MessageButtons::YesNo);
  return answer == MessageAnswer::Yes ? PlayerReadiness::Ready : PlayerReadiness::Declined;
}

// Immediate retries of network failures and short bodies only. At least one
// attempt is made even when CONNECT_RETRY is 0 or less; a Stop or Skip that
// comes before the first attempt counts as that attempt's result, so an item
// is never taken for finished without its file.
std::int32_t CDownloadCore::FetchWithRetries(CDownloadItem& item, CTransferEngine& engine,
                                             CTransferView& view, FailureReason& reason,
                                             EarlyRequest* early) {
  std::int32_t result = FETCH_STOPPED;
  for (std::int32_t attempt = 0; view.IsRunning(); ++attempt) {
    if (attempt >= std::max<std::int32_t>(1, ReadSettingInt("GENERAL", "CONNECT_RETRY", -1))) break;
    view.BeginAttempt(item);
    // Alone, the next request is made ready while this reply is awaited,
    // and sent the moment this body is in.
    EarlyHooks hooks;
    if (early) {
      hooks.requestSent = [&] { *early = PrepareNextEarly(item, engine, view); };
      hooks.bodyIn = [&] {
        if (*early) SendEarly(*early);
      };
    }
    result = FetchItem(view, item, engine, reason, m_transferLimits,
                       early ? std::move(*early) : nullptr, hooks);
    view.EndAttempt();
    if (result < FETCH_NETWORK_ERROR || result >= FETCH_WRITE_ERROR) break;
  }
  return result;
}

std::int32_t CDownloadCore::WaitWhilePartFileBusy(const CDownloadItem& item,
                                                  const CTransferView& view) {
  while (view.IsRunning()) {
    if (!IsPartFileBusy(item.m_strLocalPath)) return FETCH_BUSY;
    std::this_thread::sleep_for(m_transferLimits.runFlagPoll);
  }
  return FETCH_STOPPED;
}

EarlyRequest CDownloadCore::PrepareNextEarly(const CDownloadItem& current, CTransferEngine& engine,
                                             CTransferView& view) {
  // Items behind the head stay where they are until they are the head.
  CDownloadItem* next = m_queue.Read([&current](const CDownloadQueue::Items& items) {
    return items.size() > 1 && items[0].get() == &current ? items[1].get() : nullptr;
  });
  if (!next || IsPresentOnDisk(next->m_strLocalPath)) return nullptr;
  return PrepareEarly(view, *next, engine, m_transferLimits);
}

ItemAttempts CDownloadCore::FetchUnlessPresent(CDownloadItem& item, CTransferEngine& engine,
                                               CTransferView& view, EarlyRequest* early) {
  for (;;) {
    if (IsPresentOnDisk(item.m_strLocalPath)) {
      // An earlier item of the same name has just been stored: a request
      // sent for this one is given up.
      if (early) early->reset();
      return {.present = true, .result = FETCH_OK, .reason = {}};
    }
    ItemAttempts attempts;
    attempts.result = FetchWithRetries(item, engine, view, attempts.reason, early);
    // Another run is writing this file: once it lets go, the file is either
    // there (and present) or still to be fetched here.
    if (attempts.result != FETCH_BUSY) return attempts;
    if ((attempts.result = WaitWhilePartFileBusy(item, view)) != FETCH_BUSY) return attempts;
  }
}

std::optional<ItemOutcome> CDownloadCore::JudgeAttempts(const CDownloadItem& item,
                                                        const ItemAttempts& attempts) {
  if (attempts.present) return ItemOutcome::Present;
  const std::int32_t result = attempts.result;
  SetProgress(0);
  if (attempts.reason.cause != FailureCause::None) {
    if (auto observer = Observer()) observer->OnItemFailed(item, attempts.reason);
  }
  if (result >= FETCH_WRITE_ERROR) return std::nullopt;  // kept; "0008" was shown for a write error
  const bool networkFailure = result >= FETCH_NETWORK_ERROR;
  if (networkFailure && !IsSettingOn("GENERAL", "CONTINUE_AFTER_ERROR")) {
    if (m_bRunning) ShowMessageBox(GetMessageText("0005"), MessageButtons::Ok);
    return std::nullopt;  // kept
  }
  if (result == FETCH_STOPPED && !m_bSkipRequested) return std::nullopt;  // a stop keeps the item
  return result == FETCH_OK ? ItemOutcome::Fetched : ItemOutcome::Dropped;
}

void CDownloadCore::FinishItem(const CDownloadItem& item, ItemOutcome outcome, CFetchAhead* ahead) {
  if (outcome != ItemOutcome::Dropped) {
    PlayerAddFile(item.m_strLocalPath);
    if (IsSettingOn("PLAY", "AUTO_PLAY")) PlayerPlay(PlayerStart::DoNotStart);
  }
  if (auto observer = Observer()) observer->OnItemDone(item, outcome);
  if (ahead) {
    ahead->RemoveHead();
  } else {
    RemoveHeadItem();
  }
  if (m_bSkipRequested) {
    m_bRunning = true;
    m_bSkipRequested = false;
  }
  if (ahead) ahead->Wake();  // a skip taken lets the fetchers go on
}

void CDownloadCore::ShowHeadItem(const CDownloadItem& item) {
  const std::string name = item.GetDisplayName();
  SetCurrentFileText(name);
  if (auto observer = Observer())
    observer->SetTrayTip(std::string(Utf8Prefix(name, kTrayTipBytes)));
}

std::int32_t CDownloadCore::WalkQueue(CFetchAhead* ahead) {
  // The last transfer result; it carries over from item to item.
  std::int32_t result = FETCH_OK;
  // Fetching alone: one engine for the whole run, so that items from one
  // server share a connection.
  CTransferEngine engine;
  CTransferView view(*this, CTransferView::Place::Head);
  // The next item's request, made ready while the reply before it is
  // awaited and sent the moment that body is in; given up (before the
  // engine goes) when the run ends first.
  EarlyRequest early;
  while (m_bRunning) {
    CDownloadItem* item = GetHeadItem();
    if (!item) break;
    ShowHeadItem(*item);
    const ItemAttempts attempts =
        ahead ? ahead->AwaitHead() : FetchUnlessPresent(*item, engine, view, &early);
    result = attempts.result;
    const std::optional<ItemOutcome> outcome = JudgeAttempts(*item, attempts);
    if (!outcome) break;
    FinishItem(*item, *outcome, ahead);
  }
  return result;
}

std::int32_t CDownloadCore::FetchAheadOfHead(int connections) {
  CFetchAhead ahead(*this, connections);
  return WalkQueue(ahead.Started() ? &ahead : nullptr);
}

void CDownloadCore::DownloadWorkerProc() {
  if (PreparePlayer() == PlayerReadiness::Declined) {
    // The queue and the panels stay as they are; the next list asks again.
    m_nLastResult = FETCH_STOPPED;
    ClearWorker();
    return;
  }

  const std::int32_t connections =
      std::clamp<std::int32_t>(ReadSettingInt("GENERAL", "CONNECTIONS", -1), 1, kMaxConnections);
  const std::int32_t result = connections > 1 ? FetchAheadOfHead(connections) : WalkQueue(nullptr);

  if (result == FETCH_OK && IsSettingOn("DISP", "AUTO_CLOSE")) {
    if (auto observer = Observer()) observer->RequestClose();
  }
  SetCurrentFileText("");
  SetStatusText(kStatusRunEnded);
  m_nPhase = PHASE_IDLE;
  m_pCurrentItem = nullptr;
  m_nBytesReceived = 0;
  m_nLastResult = result;
  ClearWorker();
}
