#pragma once
// The libcurl handles that one worker keeps from one transfer attempt to the
// next: a multi handle, which holds the open connections (and what names
// resolved to), and the easy handle that carries each request. Between
// attempts a connection to the same server through the same proxy, or to the
// same proxy, is used again, as a browser would; every other setting of an
// attempt starts afresh (CHttpConnection sets them all again). One thread
// uses an engine at a time.

#include <curl/curl.h>

class CTransferEngine {
 public:
  CTransferEngine() = default;
  ~CTransferEngine();
  CTransferEngine(const CTransferEngine&) = delete;
  CTransferEngine& operator=(const CTransferEngine&) = delete;

  // Makes the handles on first use; after that, clears every option of the
  // easy handle and keeps the connections. False when libcurl cannot make
  // them.
  bool BeginAttempt();

  CURLM* Multi() const { return m_multi; }
  CURL* Easy() const { return m_easy; }

 private:
  CURLM* m_multi = nullptr;
  CURL* m_easy = nullptr;
};
