#pragma once
// What one worker keeps from one transfer attempt to the next: the libcurl
// multi handle, which holds the open connections (and what names resolved
// to), the easy handle that carries each request, and the memory the body
// passes through, so that no attempt pays for fresh pages again. A
// connection is used again by a later attempt that goes to the same place:
// the same server directly, or the same proxy (whatever server is asked of
// it); never a direct one through a proxy, or one proxy's for another. Every
// other setting of an attempt starts afresh (CHttpConnection sets them all
// again). One thread uses an engine at a time.

#include <curl/curl.h>

#include <cstddef>
#include <span>
#include <vector>

class CTransferEngine {
 public:
  // How many connections the engine keeps open: any number (one for each
  // server and proxy it met), or one, closed before another is opened, for
  // an engine beside others whose connections are counted together.
  enum class Connections { Any, KeepOne };
  explicit CTransferEngine(Connections connections = Connections::Any)
      : m_connections(connections) {}
  ~CTransferEngine();
  CTransferEngine(const CTransferEngine&) = delete;
  CTransferEngine& operator=(const CTransferEngine&) = delete;

  // Makes the handles on first use; after that, clears every option of the
  // easy handle and keeps the connections. False when libcurl cannot make
  // them.
  bool BeginAttempt();

  CURLM* Multi() const { return m_multi; }
  CURL* Easy() const { return m_easy; }

  // Where body bytes that come with a reply's head wait for the body's
  // reader (emptied by each attempt before use), and the buffer of the part
  // file's writes.
  std::vector<char>& Stage() { return m_stage; }
  std::span<char> WriteBuffer();

 private:
  const Connections m_connections;
  CURLM* m_multi = nullptr;
  CURL* m_easy = nullptr;
  std::vector<char> m_stage;
  std::vector<char> m_writeBuffer;
};
