#pragma once
// One HTTP or HTTPS GET over libcurl, with one operation per step of the transfer:
// session, URL split, target, request, headers, start, head, status, body
// (ReceiveBody). The request leaves the engine's multi handle in the
// destructor, on every path; the engine keeps the handles, and a connection
// whose reply was read to its end, for the next attempt. A connection is
// free for the next request (in its own slot) as soon as the body is in.
//
// libcurl runs through the engine's multi handle, so that this thread can wait for the network in
// slices of TransferLimits::runFlagPoll and look at the run flag between them. Failures of the
// network are thrown as CTearException(FETCH_NETWORK_ERROR), a certificate or TLS failure as
// CTearException(FETCH_HTTP_ERROR) (trying again would meet the same certificate), each
// with its reason; a cleared run flag while waiting for the reply's head as
// CTearException(FETCH_STOPPED).

#include <curl/curl.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "config/ProxyText.h"
#include "core/FailureReason.h"
#include "core/TransferEngine.h"
#include "core/TransferLimits.h"

// The body is handed out in blocks of this many bytes (the last one may be
// shorter), starting at body offsets 0, 1024, 2048, ...
inline constexpr std::size_t kBlockSize = 1024;

// Takes a reply's body. Called on the thread of ReceiveBody, from inside
// libcurl, so it must not throw.
class BodySink {
 public:
  // `blocks` are one or more whole blocks at the next body offsets; only the
  // body's last block may be shorter. The bytes are valid during the call
  // only. False takes no more of this body: the reply is given up and its
  // connection closed.
  virtual bool TakeBlocks(std::span<const char> blocks) = 0;

 protected:
  ~BodySink() = default;
};

// Whether https URLs are fetched (SITE/HTTPS) or refused like any other scheme.
enum class HttpsChoice { Allowed, Refused };

// What SplitUrl made of a URL.
enum class UrlCheck { Usable, Unusable, HttpsRefused };

class CHttpConnection {
 public:
  // The request goes through `engine`'s connections with the easy handle
  // and memory of `slot`, which stays taken while this object lives.
  // `isRunning` is the run flag, looked at between the waits.
  CHttpConnection(CTransferEngine& engine, CTransferEngine::Slot& slot,
                  std::function<bool()> isRunning, const TransferLimits& limits);
  ~CHttpConnection();
  CHttpConnection(const CHttpConnection&) = delete;
  CHttpConnection& operator=(const CHttpConnection&) = delete;

  // Readies the slot's easy handle for this request and sets the proxy. A
  // named proxy must not be empty. Certificates are verified, server name
  // included, against the system's store, or the authority that
  // CURL_CA_BUNDLE, SSL_CERT_FILE or SSL_CERT_DIR names (as curl's command
  // reads them); nothing turns that off.
  void OpenSession(ProxyChoice proxy, const std::string& proxyName);

  // Splits `url` into scheme, server, port (80 or 443 when the URL names
  // none) and object. Usable for http, and for https when allowed; the path
  // and query are kept exactly as they stand.
  UrlCheck SplitUrl(const std::string& url, HttpsChoice https);

  // libcurl connects when the request is sent; this fixes where to (the
  // server and port of the split URL, user and password left out), the one
  // scheme allowed, and how long the connection may take. Through a proxy an
  // https request goes through a CONNECT tunnel.
  void SetTarget();

  // A GET for the object of the split URL, HTTP/1.1, redirections not followed.
  void OpenRequest();

  // The request carries Host, then exactly these lines (each without its
  // line end), and none of libcurl's other default headers.
  void AddHeaders(const std::vector<std::string>& lines);

  // Sends the request, or begins to connect for it; nothing waits.
  void Start();
  // Waits until the reply's head to the started request has arrived.
  void AwaitHead();

  // The reply's status code; throws FETCH_NETWORK_ERROR when there is none
  // or when it is below 200.
  long QueryStatus() const;
  // The reason phrase of the reply's status line, as the server sent it.
  const std::string& StatusPhrase() const { return m_statusPhrase; }
  // The value of the reply's header `name` (its last one), or empty text.
  std::string ReplyHeader(const char* name) const;

  // The body continues a file that already holds `offset` bytes: a body cut
  // short is reported with the file's sizes, not the reply's.
  void SetBodyOffset(std::int64_t offset) { m_bodyOffset = offset; }

  // Hands the body to `sink` as it arrives and returns once the body is
  // complete, the sink has taken no more, or the run flag was found cleared.
  // The blocks go out straight from libcurl's receive buffer; only bytes that
  // came with the reply's head wait in the engine's stage. A network failure
  // throws FETCH_NETWORK_ERROR once every byte that arrived before it was
  // handed out, as a blocking read would have returned them.
  void ReceiveBody(BodySink& sink);

 private:
  enum class Waited { Ready, Finished, Stopped };
  template <typename Condition>
  Waited WaitFor(Condition ready);
  void CollectFinished();
  // Throws the failure libcurl ended the transfer with, with its reason.
  [[noreturn]] void ThrowFailure(CURLcode code) const;
  // Hands `data` on to the sink as whole blocks and keeps a trailing part of
  // a block for the bytes that follow it; false once the sink has declined.
  bool HandOn(std::span<const char> data);

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);

  const std::function<bool()> m_isRunning;
  const TransferLimits m_limits;

  CURLM* const m_multi;  // the engine's
  CURL* const m_easy;    // the slot's
  bool m_easyInMulti = false;
  curl_slist* m_headers = nullptr;

  std::string m_url;     // the split URL as it is sent, without user and fragment
  std::string m_scheme;  // "http" or "https"
  std::array<char, CURL_ERROR_SIZE> m_errorText{};  // libcurl's words on the last failure
  std::string m_statusPhrase;                       // of the last status line seen
  std::int64_t m_bodyArrived = 0;                   // body bytes libcurl has delivered
  std::int64_t m_bodyOffset = 0;                    // file bytes before the body

  // libcurl reads the socket up to the engine's ReceiveBufferSize at a time.
  const std::size_t m_receiveBufferSize;

  // Body bytes libcurl delivered before ReceiveBody had a sink for them,
  // together with the reply's head. Capped at one receive buffer: libcurl is
  // paused while a further chunk would not fit.
  std::vector<char>& m_stage;  // the slot's, kept from attempt to attempt
  bool m_paused = false;

  BodySink* m_sink = nullptr;  // set by ReceiveBody
  bool m_declined = false;     // the sink took no more
  std::array<char, kBlockSize> m_partialBlock{};
  std::size_t m_partialSize = 0;

  // libcurl has ended the head of what it takes as the final reply: a
  // blank line after a status of 200 or above, or the first body byte.
  bool m_headDone = false;
  bool m_finished = false;                              // libcurl has ended the transfer
  CURLcode m_result = CURLE_OK;                         // how it ended
  std::chrono::steady_clock::time_point m_lastArrival;  // of any byte of the reply
};
