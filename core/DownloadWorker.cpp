// The download worker: one thread that walks the queue head first, fetching
// each item (or finding it on disk), handing finished files to the player and
// removing them, until the queue is empty, the run is stopped, or an error
// ends it.

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <system_error>
#include <thread>

#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/HttpFetch.h"
#include "core/PartFile.h"
#include "core/PlayerControl.h"
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
                                             FailureReason& reason) {
  std::int32_t result = FETCH_STOPPED;
  for (std::int32_t attempt = 0; m_bRunning; ++attempt) {
    if (attempt >= std::max<std::int32_t>(1, ReadSettingInt("GENERAL", "CONNECT_RETRY", -1))) break;
    m_pCurrentItem = &item;
    result = FetchItem(*this, item, engine, reason, m_transferLimits);
    m_pCurrentItem = nullptr;
    if (result < FETCH_NETWORK_ERROR || result >= FETCH_WRITE_ERROR) break;
  }
  return result;
}

std::int32_t CDownloadCore::WaitWhilePartFileBusy(const CDownloadItem& item) {
  while (m_bRunning) {
    if (!IsPartFileBusy(item.m_strLocalPath)) return FETCH_BUSY;
    std::this_thread::sleep_for(m_transferLimits.runFlagPoll);
  }
  return FETCH_STOPPED;
}

void CDownloadCore::FinishItem(const CDownloadItem& item, ItemOutcome outcome) {
  if (outcome != ItemOutcome::Dropped) {
    PlayerAddFile(item.m_strLocalPath);
    if (IsSettingOn("PLAY", "AUTO_PLAY")) PlayerPlay(PlayerStart::DoNotStart);
  }
  if (auto observer = Observer()) observer->OnItemDone(item, outcome);
  RemoveHeadItem();
  if (m_bSkipRequested) {
    m_bRunning = true;
    m_bSkipRequested = false;
  }
}

void CDownloadCore::DownloadWorkerProc() {
  if (PreparePlayer() == PlayerReadiness::Declined) {
    // The queue and the panels stay as they are; the next list asks again.
    m_nLastResult = FETCH_STOPPED;
    ClearWorker();
    return;
  }

  // The last transfer result; it carries over from item to item.
  std::int32_t result = FETCH_OK;
  // One engine for the whole run, so that items from one server share a
  // connection.
  CTransferEngine engine;
  while (m_bRunning) {
    CDownloadItem* item = GetHeadItem();
    if (!item) break;
    const std::string name = item->GetDisplayName();
    SetCurrentFileText(name);
    if (auto observer = Observer())
      observer->SetTrayTip(std::string(Utf8Prefix(name, kTrayTipBytes)));

    ItemOutcome outcome = ItemOutcome::Present;
    if (IsPresentOnDisk(item->m_strLocalPath)) {
      result = FETCH_OK;
    } else {
      FailureReason reason;
      result = FetchWithRetries(*item, engine, reason);
      // Another run is writing this file: once it lets go, the file is
      // either there (and present) or still to be fetched here.
      if (result == FETCH_BUSY && (result = WaitWhilePartFileBusy(*item)) == FETCH_BUSY) continue;
      SetProgress(0);
      if (reason.cause != FailureCause::None) {
        if (auto observer = Observer()) observer->OnItemFailed(*item, reason);
      }
      if (result >= FETCH_WRITE_ERROR) break;  // kept; "0008" was shown for a write error
      const bool networkFailure = result >= FETCH_NETWORK_ERROR;
      if (networkFailure && !IsSettingOn("GENERAL", "CONTINUE_AFTER_ERROR")) {
        if (m_bRunning) ShowMessageBox(GetMessageText("0005"), MessageButtons::Ok);
        break;  // kept
      }
      if (result == FETCH_STOPPED && !m_bSkipRequested) break;  // a stop keeps the item
      outcome = result == FETCH_OK ? ItemOutcome::Fetched : ItemOutcome::Dropped;
    }
    FinishItem(*item, outcome);
  }

  if (result == FETCH_OK && IsSettingOn("DISP", "AUTO_CLOSE")) {
    if (auto observer = Observer()) observer->RequestClose();
  }
  SetCurrentFileText("");
  SetStatusText(kStatusRunEnded);
  m_nPhase = PHASE_IDLE;
  m_pCurrentItem = nullptr;
  m_nBytesReceived = 0;
  m_nBytesResumed = 0;
  m_nLastResult = result;
  ClearWorker();
}
