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
  if (m_easy) curl_easy_cleanup(m_easy);
  if (m_multi) curl_multi_cleanup(m_multi);
}

bool CTransferEngine::BeginAttempt() {
  if (!m_multi || !m_easy) {
    InitCurlOnce();
    if (!m_multi) {
      m_multi = curl_multi_init();
      // At the limit libcurl closes the oldest idle connection before it
      // opens a new one.
      if (m_multi && m_connections == Connections::KeepOne)
        curl_multi_setopt(m_multi, CURLMOPT_MAX_TOTAL_CONNECTIONS, 1L);
    }
    if (!m_easy) m_easy = curl_easy_init();
    return m_multi && m_easy;
  }
  curl_easy_reset(m_easy);
  return true;
}

std::span<char> CTransferEngine::WriteBuffer() {
  if (m_writeBuffer.empty()) m_writeBuffer.resize(kPartFileBufferSize);
  return m_writeBuffer;
}
