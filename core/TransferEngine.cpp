#include "core/TransferEngine.h"

#include <mutex>

#include "core/PartFile.h"

namespace {

// libcurl's global state must be made once, before any handle, and not from
// two threads at the same time.
void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

CTransferEngine::~CTransferEngine() {
  for (Slot& slot : m_slots) {
    if (slot.easy) curl_easy_cleanup(slot.easy);
  }
  if (m_multi) curl_multi_cleanup(m_multi);
}

CTransferEngine::SlotLease CTransferEngine::TakeSlot() {
  if (!m_multi) {
    InitCurlOnce();
    m_multi = curl_multi_init();
    // At the limit libcurl closes the oldest idle connection before it
    // opens a new one.
    if (m_multi && m_connections == Connections::KeepOne)
      curl_multi_setopt(m_multi, CURLMOPT_MAX_TOTAL_CONNECTIONS, 1L);
  }
  if (!m_multi) return nullptr;
  for (Slot& slot : m_slots) {
    if (slot.taken) continue;
    if (slot.easy) {
      curl_easy_reset(slot.easy);
    } else if (!(slot.easy = curl_easy_init())) {
      return nullptr;
    }
    slot.taken = true;
    return SlotLease(&slot);
  }
  return nullptr;
}

std::span<char> CTransferEngine::Slot::WriteBuffer() {
  if (writeBuffer.empty()) writeBuffer.resize(kPartFileBufferSize);
  return writeBuffer;
}
