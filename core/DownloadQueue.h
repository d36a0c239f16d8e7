#pragma once
// The ordered queue of download items, head first. Loading appends on the main
// thread while the worker reads and removes the head, and the list view reads
// rows: one mutex covers all of it. The queue owns its items and deletes what
// it still holds when it is destroyed.

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>

#include "core/DownloadItem.h"

class CDownloadQueue {
 public:
  using Items = std::deque<std::unique_ptr<CDownloadItem>>;

  CDownloadQueue() = default;
  CDownloadQueue(const CDownloadQueue&) = delete;
  CDownloadQueue& operator=(const CDownloadQueue&) = delete;

  void Append(std::unique_ptr<CDownloadItem> item);

  // The head item, or nullptr. The pointer stays valid until the head is
  // removed, which only the worker does.
  CDownloadItem* GetHead() const;

  // Deletes the head item; returns false (and does nothing) when empty. When
  // `current` names the head it is cleared first, under the queue's lock, so
  // a reader that looks at *current under that lock (Read) never meets a
  // deleted item.
  bool RemoveHead(std::atomic<CDownloadItem*>* current = nullptr);

  size_t GetCount() const;

  // Runs `read` with the items under the queue's lock and returns its result.
  // For readers that look at several rows at once, such as the list view;
  // `read` must not call back into the queue.
  template <class Reader>
  auto Read(Reader&& read) const {
    std::lock_guard lock(m_mutex);
    return std::forward<Reader>(read)(static_cast<const Items&>(m_items));
  }

 private:
  mutable std::mutex m_mutex;
  Items m_items;  // guarded by m_mutex; index 0 is the head
};
