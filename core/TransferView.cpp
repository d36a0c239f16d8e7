#include "core/TransferView.h"

bool CTransferView::IsRunning() const {
  if (m_bCancelled) return false;
  // Skip clears the run flag for the head's transfer; the ones ahead of it
  // go on while the skip is pending, until the worker takes it.
  return m_core.m_bRunning || (!m_bShown && m_core.m_bSkipRequested);
}

void CTransferView::Show() {
  std::lock_guard lock(m_mutex);
  m_bShown = true;
  m_core.m_nBytesReceived = m_nBytes.load();
  m_core.m_nPhase = m_nPhase.load();
  m_core.m_pCurrentItem = m_pAttemptItem.load();
  if (m_bHasStatus) m_core.SetStatusText(m_strStatus, m_statusReason);
}

void CTransferView::BeginAttempt(CDownloadItem& item) {
  m_pAttemptItem = &item;
  if (m_bShown) m_core.m_pCurrentItem = &item;
}

void CTransferView::EndAttempt() {
  m_pAttemptItem = nullptr;
  if (m_bShown) m_core.m_pCurrentItem = nullptr;
}

void CTransferView::SetPhase(TransferPhase phase) {
  m_nPhase = phase;
  if (m_bShown) m_core.m_nPhase = phase;
}

void CTransferView::SetStatusText(const std::string& text) {
  SetStatusText(text, {FailureCause::None, {}});
}

void CTransferView::SetStatusText(const std::string& text, const FailureReason& reason) {
  std::lock_guard lock(m_mutex);
  const bool keepsReason = reason.text.empty();
  m_bHasStatus = true;
  m_strStatus = text;
  if (!keepsReason) m_statusReason = reason;
  if (!m_bShown) return;
  if (keepsReason) {
    m_core.SetStatusText(text);
  } else {
    m_core.SetStatusText(text, reason);
  }
}

void CTransferView::ClearStatusReason() {
  std::lock_guard lock(m_mutex);
  m_statusReason = {};
  if (m_bShown) m_core.ClearStatusReason();
}

void CTransferView::StartCount(std::int32_t resumed) {
  m_nBytes.store(resumed, std::memory_order_relaxed);
  if (m_bShown.load(std::memory_order_relaxed))
    m_core.m_nBytesReceived.store(resumed, std::memory_order_relaxed);
}

void CTransferView::CountBytes(std::int32_t total, std::size_t arrived) {
  m_core.m_nBytesArrived.fetch_add(static_cast<std::int64_t>(arrived), std::memory_order_relaxed);
  m_nBytes.store(total, std::memory_order_relaxed);
  if (!m_bShown.load(std::memory_order_relaxed)) return;
  m_core.m_nBytesReceived.store(total, std::memory_order_relaxed);
  m_core.m_bDataArrived.store(true, std::memory_order_relaxed);
}

MessageAnswer CTransferView::ShowMessageBox(const std::string& text, MessageButtons buttons) {
  {
    std::lock_guard lock(m_mutex);
    if (!m_bShown) {
      m_strHeldMessage = text;
      return MessageAnswer::Ok;
    }
  }
  return m_core.ShowMessageBox(text, buttons);
}

std::string CTransferView::TakeHeldMessage() {
  std::lock_guard lock(m_mutex);
  return std::exchange(m_strHeldMessage, {});
}
