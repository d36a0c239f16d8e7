#pragma once
// One HTTP GET over libcurl, with one operation per step of the transfer:
// session, URL split, connection, request, headers, send, status, read block.
// The request leaves the engine's multi handle in the destructor, on every
// path; the engine keeps the handles, and a connection whose reply was read
// to its end, for the next attempt.
//
// libcurl runs through the engine's multi handle, holding the one easy
// handle, so that this thread can wait for the network in slices of
// TransferLimits::runFlagPoll and look at the run flag between them. Failures of the network are thrown
// as CTearException(FETCH_NETWORK_ERROR); a cleared run flag while waiting
// for the reply's head as CTearException(FETCH_STOPPED).

#include <atomic>
#include <chrono>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include <curl/curl.h>

#include "config/ProxyText.h"
#include "core/TransferEngine.h"
#include "core/TransferLimits.h"

// The body is handed out in blocks of this many bytes (the last one may be
// shorter), starting at body offsets 0, 1024, 2048, ...
inline constexpr std::size_t kBlockSize = 1024;

class CHttpConnection {
 public:
  CHttpConnection(CTransferEngine& engine, const std::atomic<bool>& running, const TransferLimits& limits);
  ~CHttpConnection();
  CHttpConnection(const CHttpConnection&) = delete;
  CHttpConnection& operator=(const CHttpConnection&) = delete;

  // Readies the engine's handles for this request and sets the proxy. A
  // named proxy must not be empty.
  void OpenSession(ProxyChoice proxy, const std::string& proxyName);

  // Splits `url` into server, port (80 when the URL names none) and object;
  // false when it cannot be split, names no server, or its scheme is not
  // http. The path and query are kept exactly as they stand.
  bool SplitUrl(const std::string& url);

  // libcurl connects when the request is sent; this fixes where to (the
  // server and port of the split URL, user and password left out) and how
  // long the connection may take.
  void Connect();

  // A GET for the object of the split URL, HTTP/1.1, redirections not followed.
  void OpenRequest();

  // The request carries Host, then exactly these lines (each without its
  // line end), and none of libcurl's other default headers.
  void AddHeaders(const std::vector<std::string>& lines);

  // Sends the request and waits until the reply's head has arrived.
  void Send();

  // The reply's status code; throws FETCH_NETWORK_ERROR when there is none
  // or when it is below 200.
  long QueryStatus() const;

  // The body bytes that have arrived and were not handed out yet, whole
  // blocks only: blocks of kBlockSize at body offsets 0, 1024, 2048, ...,
  // of which only the body's last may be shorter. At least one block; empty
  // once the body is complete or when the run flag was found cleared while
  // waiting. The bytes stay valid until the next call, which hands out the
  // blocks that follow them.
  std::span<const char> ReadBlocks();

 private:
  enum class Waited { Ready, Finished, Stopped };
  template <typename Condition>
  Waited WaitFor(Condition ready);
  void CollectFinished();
  std::size_t Staged() const { return m_stage.size() - m_stageStart; }

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);

  const std::atomic<bool>& m_running;
  const TransferLimits m_limits;

  CTransferEngine& m_engine;
  CURLM* m_multi = nullptr;  // the engine's handles, once OpenSession has them
  CURL* m_easy = nullptr;
  bool m_easyInMulti = false;
  curl_slist* m_headers = nullptr;

  std::string m_url;  // the split URL as it is sent, without user and fragment

  // Body bytes libcurl has delivered but ReadBlocks has not handed out yet:
  // m_stage[m_stageStart, size). Capped at kStageCapacity; libcurl is paused
  // while a further chunk would not fit. libcurl reads the socket in chunks
  // of kReceiveBufferSize, so a fast loopback body costs few system calls.
  static constexpr std::size_t kReceiveBufferSize = 256 * 1024;
  static constexpr std::size_t kStageCapacity = 2 * kReceiveBufferSize;
  std::vector<char>& m_stage;  // the engine's, kept from attempt to attempt
  std::size_t m_stageStart = 0;
  bool m_paused = false;

  // libcurl has ended the head of what it takes as the final reply: a
  // blank line after a status of 200 or above, or the first body byte.
  bool m_headDone = false;
  bool m_finished = false;  // libcurl has ended the transfer
  CURLcode m_result = CURLE_OK;  // how it ended
  std::chrono::steady_clock::time_point m_lastArrival;  // of any byte of the reply
};
