#include "core/DownloadCore.h"

#include "core/FetchAhead.h"

bool CDownloadCore::IsWorkerRunning() const { return m_dwWorkerThreadId != 0; }

void CDownloadCore::Stop() {
  SetStatusText("STOP");
  m_bRunning = false;
}

void CDownloadCore::Skip() {
  SetStatusText("SKIP");
  m_bSkipRequested = true;
  m_bRunning = false;
}

void CDownloadCore::SetCurrentFileText(const std::string& text) {
  if (m_bClosing) return;
  {
    std::lock_guard lock(m_textMutex);
    m_strCurrentFile = text;
    if (!text.empty()) m_strStatusReason.clear();  // a new item: the last one's reason is done
  }
  if (auto observer = Observer()) observer->DrawCurrentFilePanel();
}

void CDownloadCore::SetStatusText(const std::string& text) {
  if (m_bClosing) return;
  {
    std::lock_guard lock(m_textMutex);
    m_strStatus = text;
  }
  if (auto observer = Observer()) observer->DrawStatusPanel();
}

void CDownloadCore::SetStatusText(const std::string& text, const FailureReason& reason) {
  if (m_bClosing) return;
  {
    std::lock_guard lock(m_textMutex);
    m_strStatus = text;
    m_strStatusReason = reason.text;
  }
  if (auto observer = Observer()) observer->DrawStatusPanel();
}

void CDownloadCore::ClearStatusReason() {
  std::lock_guard lock(m_textMutex);
  m_strStatusReason.clear();
}

void CDownloadCore::SetProgress(std::int32_t percentage) {
  if (m_bClosing) return;
  m_nProgress = percentage;
  if (auto observer = Observer()) observer->DrawProgressPanel();
}

void CDownloadCore::SetIndicatorFrame(std::int32_t frame) {
  if (m_bClosing) return;
  m_nIndicatorFrame = frame;
  if (auto observer = Observer()) observer->DrawIndicatorPanel();
}

std::string CDownloadCore::GetCurrentFileText() const {
  std::lock_guard lock(m_textMutex);
  return m_strCurrentFile;
}

std::string CDownloadCore::GetStatusText() const {
  std::lock_guard lock(m_textMutex);
  return m_strStatus;
}

std::string CDownloadCore::GetStatusReason() const {
  std::lock_guard lock(m_textMutex);
  return m_strStatusReason;
}

CDownloadItem* CDownloadCore::GetHeadItem() const { return m_queue.GetHead(); }

void CDownloadCore::AddItem(std::unique_ptr<CDownloadItem> item) {
  m_queue.Append(std::move(item));
  if (auto observer = Observer()) observer->OnItemAppended();
  std::lock_guard lock(m_fetchAheadMutex);
  if (m_pFetchAhead) m_pFetchAhead->Wake();
}

std::int32_t CDownloadCore::GetCurrentItemSize() const {
  return m_queue.Read([this](const CDownloadQueue::Items&) {
    const CDownloadItem* item = m_pCurrentItem;
    return item ? item->m_nSize : 0;
  });
}

void CDownloadCore::RemoveHeadItem() {
  if (!m_queue.RemoveHead(&m_pCurrentItem)) return;
  if (auto observer = Observer()) observer->OnHeadItemRemoved();
}

MessageAnswer CDownloadCore::ShowMessageBox(const std::string& text, MessageButtons buttons) {
  if (auto observer = Observer()) return observer->ShowMessageBox(text, buttons);
  return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

void CDownloadCore::SetObserver(std::shared_ptr<DownloadObserver> observer) {
  std::lock_guard lock(m_observerMutex);
  m_observer = std::move(observer);
}

std::shared_ptr<DownloadObserver> CDownloadCore::Observer() const {
  std::lock_guard lock(m_observerMutex);
  return m_observer;
}
