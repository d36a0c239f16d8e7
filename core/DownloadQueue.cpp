#include "core/DownloadQueue.h"

void CDownloadQueue::Append(std::unique_ptr<CDownloadItem> item) {
  std::lock_guard lock(m_mutex);
  m_items.push_back(std::move(item));
}

CDownloadItem* CDownloadQueue::GetHead() const {
  std::lock_guard lock(m_mutex);
  return m_items.empty() ? nullptr : m_items.front().get();
}

bool CDownloadQueue::RemoveHead(std::atomic<CDownloadItem*>* current) {
  std::lock_guard lock(m_mutex);
  if (m_items.empty()) return false;
  if (current) {
    CDownloadItem* head = m_items.front().get();
    current->compare_exchange_strong(head, nullptr);
  }
  m_items.erase(m_items.begin());
  return true;
}

size_t CDownloadQueue::GetCount() const {
  std::lock_guard lock(m_mutex);
  return m_items.size();
}
