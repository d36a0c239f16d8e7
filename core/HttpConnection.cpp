#include "core/HttpConnection.h"

#include <algorithm>
#include <memory>

#include "core/HttpFetch.h"
#include "core/TearException.h"

namespace {

[[noreturn]] void ThrowNetworkError() { throw CTearException(FETCH_NETWORK_ERROR); }

void Check(CURLcode code) {
  if (code != CURLE_OK) ThrowNetworkError();
}

struct UrlHandleDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlTextDeleter {
  void operator()(char* text) const { curl_free(text); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlHandleDeleter>;
using CurlText = std::unique_ptr<char, CurlTextDeleter>;

// One part of a parsed URL, or empty text when the URL has none.
std::string UrlPart(CURLU* url, CURLUPart part) {
  char* raw = nullptr;
  if (curl_url_get(url, part, &raw, 0) != CURLUE_OK) return {};
  CurlText text(raw);
  return text.get();
}

}  // namespace

CHttpConnection::CHttpConnection(CTransferEngine& engine, const std::atomic<bool>& running,
                                 const TransferLimits& limits)
    : m_running(running), m_limits(limits), m_engine(engine), m_stage(engine.Stage()) {
  m_stage.clear();
}

CHttpConnection::~CHttpConnection() {
  // The request leaves the multi handle before its header list goes. libcurl
  // closes a connection whose reply was not read to its end, so nothing of
  // this reply can reach the next request.
  if (m_easyInMulti) curl_multi_remove_handle(m_multi, m_easy);
  if (m_easy) curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(m_headers);
}

void CHttpConnection::OpenSession(ProxyChoice proxy, const std::string& proxyName) {
  if (!m_engine.BeginAttempt()) ThrowNetworkError();
  m_multi = m_engine.Multi();
  m_easy = m_engine.Easy();
  Check(curl_easy_setopt(m_easy, CURLOPT_BUFFERSIZE, static_cast<long>(kReceiveBufferSize)));
  Check(curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L));
  Check(curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http"));
  switch (proxy) {
    case ProxyChoice::Direct:
      // An empty proxy name overrides http_proxy; "*" bypasses for every host.
      Check(curl_easy_setopt(m_easy, CURLOPT_PROXY, ""));
      Check(curl_easy_setopt(m_easy, CURLOPT_NOPROXY, "*"));
      break;
    case ProxyChoice::NamedProxy:
      // libcurl would take an empty name as "no proxy"; the user asked for one.
      if (proxyName.empty()) ThrowNetworkError();
      Check(curl_easy_setopt(m_easy, CURLOPT_PROXY, proxyName.c_str()));
      // An empty list also keeps no_proxy from the environment out.
      Check(curl_easy_setopt(m_easy, CURLOPT_NOPROXY, ""));
      break;
    case ProxyChoice::SystemSetting:
      break;  // libcurl reads http_proxy and no_proxy itself
  }
}

bool CHttpConnection::SplitUrl(const std::string& url) {
  UrlHandle parsed(curl_url());
  if (!parsed) ThrowNetworkError();
  // No default scheme: text without one is not a URL here. PATH_AS_IS keeps
  // "." and ".." segments; nothing is decoded or encoded.
  if (curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK) {
    return false;
  }
  if (UrlPart(parsed.get(), CURLUPART_SCHEME) != "http") return false;
  // libcurl has checked the port (80 when there is none).
  if (UrlPart(parsed.get(), CURLUPART_HOST).empty()) return false;
  // Credentials come only from the list or the settings, never from the URL
  // (libcurl would send those itself), and a fragment never goes out.
  curl_url_set(parsed.get(), CURLUPART_USER, nullptr, 0);
  curl_url_set(parsed.get(), CURLUPART_PASSWORD, nullptr, 0);
  curl_url_set(parsed.get(), CURLUPART_OPTIONS, nullptr, 0);
  curl_url_set(parsed.get(), CURLUPART_FRAGMENT, nullptr, 0);
  m_url = UrlPart(parsed.get(), CURLUPART_URL);
  return !m_url.empty();
}

void CHttpConnection::Connect() {
  Check(curl_easy_setopt(m_easy, CURLOPT_URL, m_url.c_str()));
  Check(curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(m_limits.connectTimeout.count())));
}

void CHttpConnection::OpenRequest() {
  Check(curl_easy_setopt(m_easy, CURLOPT_HTTPGET, 1L));
  Check(curl_easy_setopt(m_easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)));
  Check(curl_easy_setopt(m_easy, CURLOPT_PATH_AS_IS, 1L));
  Check(curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 0L));
  Check(curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &CHttpConnection::OnBody));
  Check(curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this));
  Check(curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &CHttpConnection::OnHeader));
  Check(curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this));
}

void CHttpConnection::AddHeaders(const std::vector<std::string>& lines) {
  // A header with nothing after the colon removes libcurl's own one.
  std::vector<std::string> all = lines;
  all.insert(all.end(), {"Expect:", "Proxy-Connection:"});
  for (const std::string& line : all) {
    curl_slist* longer = curl_slist_append(m_headers, line.c_str());
    if (!longer) ThrowNetworkError();
    m_headers = longer;
  }
  Check(curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers));
}

void CHttpConnection::Send() {
  m_stage.reserve(kReceiveBufferSize);
  if (curl_multi_add_handle(m_multi, m_easy) != CURLM_OK) ThrowNetworkError();
  m_easyInMulti = true;
  m_lastArrival = std::chrono::steady_clock::now();
  switch (WaitFor([this] { return m_headDone; })) {
    case Waited::Stopped:
      throw CTearException(FETCH_STOPPED);
    case Waited::Finished:
      if (m_result != CURLE_OK) ThrowNetworkError();
      break;
    case Waited::Ready:
      break;
  }
}

long CHttpConnection::QueryStatus() const {
  long status = 0;
  // A 1xx is never the final reply to a plain GET; one that libcurl ends the
  // head with (101 switches protocols) leaves no HTTP reply to read.
  if (curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status < 200) {
    ThrowNetworkError();
  }
  return status;
}

void CHttpConnection::ReceiveBody(BodySink& sink) {
  m_sink = &sink;
  // What came with the head goes first; the chunk libcurl kept back while
  // the stage was full comes next, handed on as it is resumed.
  const bool taken = HandOn(m_stage);
  m_stage.clear();
  if (!taken) return;
  if (m_paused) {
    m_paused = false;
    if (curl_easy_pause(m_easy, CURLPAUSE_CONT) != CURLE_OK && !m_declined) ThrowNetworkError();
  }
  if (WaitFor([this] { return m_declined; }) != Waited::Finished) return;
  // The body's last block, or what arrived of it before a failure.
  if (m_partialSize > 0 && !m_sink->TakeBlocks({m_partialBlock.data(), m_partialSize})) return;
  if (m_result != CURLE_OK) ThrowNetworkError();
}

bool CHttpConnection::HandOn(std::span<const char> data) {
  if (m_declined) return false;
  if (m_partialSize > 0) {
    const std::size_t filling = std::min(kBlockSize - m_partialSize, data.size());
    std::copy_n(data.begin(), filling,
                m_partialBlock.begin() + static_cast<std::ptrdiff_t>(m_partialSize));
    m_partialSize += filling;
    data = data.subspan(filling);
    if (m_partialSize < kBlockSize) return true;
    m_partialSize = 0;
    if (!m_sink->TakeBlocks(m_partialBlock)) return !(m_declined = true);
  }
  const std::size_t whole = data.size() - data.size() % kBlockSize;
  if (whole > 0 && !m_sink->TakeBlocks(data.first(whole))) return !(m_declined = true);
  std::copy(data.begin() + static_cast<std::ptrdiff_t>(whole), data.end(), m_partialBlock.begin());
  m_partialSize = data.size() - whole;
  return true;
}

template <typename Condition>
CHttpConnection::Waited CHttpConnection::WaitFor(Condition ready) {
  for (;;) {
    if (ready()) return Waited::Ready;
    if (m_finished) return Waited::Finished;
    if (!m_running) return Waited::Stopped;
    int running = 0;
    if (curl_multi_perform(m_multi, &running) != CURLM_OK) ThrowNetworkError();
    CollectFinished();
    if (ready() || m_finished) continue;
    if (std::chrono::steady_clock::now() - m_lastArrival > m_limits.stallTimeout) {
      ThrowNetworkError();
    }
    const auto pollMs = static_cast<int>(m_limits.runFlagPoll.count());
    if (curl_multi_poll(m_multi, nullptr, 0, pollMs, nullptr) != CURLM_OK) ThrowNetworkError();
  }
}

void CHttpConnection::CollectFinished() {
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy) {
      m_finished = true;
      m_result = message->data.result;
    }
  }
}

std::size_t CHttpConnection::OnBody(char* data, std::size_t, std::size_t count, void* self) {
  auto& connection = *static_cast<CHttpConnection*>(self);
  // libcurl delivers body bytes only once it has ended the head, also when
  // the head had no blank line of its own as OnHeader knows it.
  connection.m_headDone = true;
  connection.m_lastArrival = std::chrono::steady_clock::now();
  if (connection.m_sink) return connection.HandOn({data, count}) ? count : 0;
  if (!connection.m_stage.empty() && connection.m_stage.size() + count > kReceiveBufferSize) {
    connection.m_paused = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  connection.m_stage.insert(connection.m_stage.end(), data, data + count);
  return count;
}

std::size_t CHttpConnection::OnHeader(char* data, std::size_t, std::size_t count, void* self) {
  auto& connection = *static_cast<CHttpConnection*>(self);
  connection.m_lastArrival = std::chrono::steady_clock::now();
  const bool blankLine =
      (count == 2 && data[0] == '\r' && data[1] == '\n') || (count == 1 && data[0] == '\n');
  if (blankLine) {
    long status = 0;
    curl_easy_getinfo(connection.m_easy, CURLINFO_RESPONSE_CODE, &status);
    // 1xx replies are followed by the real one.
    if (status >= 200) connection.m_headDone = true;
  }
  return count;
}
