#include "core/HttpConnection.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "core/HttpFetch.h"
#include "core/TearException.h"

namespace {

[[noreturn]] void ThrowNetworkError(std::string text) {
  throw CTearException(FETCH_NETWORK_ERROR, {FailureCause::Network, std::move(text)});
}

void Check(CURLcode code) {
  if (code != CURLE_OK) ThrowNetworkError(curl_easy_strerror(code));
}

// Failures of the server's certificate, and of TLS itself: the same server
// would fail the same way at once, so they end the run like an HTTP error.
bool IsCertificateFailure(CURLcode code) {
  switch (code) {
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return true;
    default:
      return false;
  }
}
bool IsTlsFailure(CURLcode code) {
  switch (code) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CLIENTCERT:
      return true;
    default:
      return false;
  }
}

// An environment variable's value, or null when it is unset or empty.
const char* EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

// The authority to trust, as curl's command takes it from the environment:
// CURL_CA_BUNDLE names a bundle; otherwise SSL_CERT_DIR a folder and
// SSL_CERT_FILE a bundle. Unset, libcurl uses the system's store.
void SetAuthority(CURL* easy) {
  if (const char* bundle = EnvironmentValue("CURL_CA_BUNDLE")) {
    Check(curl_easy_setopt(easy, CURLOPT_CAINFO, bundle));
    return;
  }
  if (const char* folder = EnvironmentValue("SSL_CERT_DIR"))
    Check(curl_easy_setopt(easy, CURLOPT_CAPATH, folder));
  if (const char* bundle = EnvironmentValue("SSL_CERT_FILE"))
    Check(curl_easy_setopt(easy, CURLOPT_CAINFO, bundle));
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

// The reason phrase of a status line ("HTTP/1.1 404 Not Found\r\n" gives
// "Not Found"): what follows the code, without the line end.
std::string StatusLinePhrase(std::string_view line) {
  const std::size_t codeStart = line.find(' ');
  if (codeStart == std::string_view::npos) return {};
  const std::size_t phraseStart = line.find(' ', codeStart + 1);
  if (phraseStart == std::string_view::npos) return {};
  std::string_view phrase = line.substr(phraseStart + 1);
  while (!phrase.empty() && (phrase.back() == '\n' || phrase.back() == '\r'))
    phrase.remove_suffix(1);
  return std::string(phrase);
}

}  // namespace

CHttpConnection::CHttpConnection(CTransferEngine& engine, CTransferEngine::Slot& slot,
                                 std::function<bool()> isRunning, const TransferLimits& limits)
    : m_isRunning(std::move(isRunning)),
      m_limits(limits),
      m_multi(engine.Multi()),
      m_easy(slot.easy),
      m_receiveBufferSize(engine.ReceiveBufferSize()),
      m_stage(slot.stage) {
  m_stage.clear();
}

CHttpConnection::~CHttpConnection() {
  // The request leaves the multi handle before its header list goes. libcurl
  // closes a connection whose reply was not read to its end, so nothing of
  // this reply can reach the next request.
  if (m_easyInMulti) curl_multi_remove_handle(m_multi, m_easy);
  curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, nullptr);
  curl_slist_free_all(m_headers);
}

void CHttpConnection::OpenSession(ProxyChoice proxy, const std::string& proxyName) {
  Check(curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_errorText.data()));
  Check(curl_easy_setopt(m_easy, CURLOPT_BUFFERSIZE, static_cast<long>(m_receiveBufferSize)));
  Check(curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L));
  // libcurl's defaults, set again so that no later change can weaken them.
  Check(curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYPEER, 1L));
  Check(curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYHOST, 2L));
  SetAuthority(m_easy);
  switch (proxy) {
    case ProxyChoice::Direct:
      // An empty proxy name overrides http_proxy; "*" bypasses for every host.
      Check(curl_easy_setopt(m_easy, CURLOPT_PROXY, ""));
      Check(curl_easy_setopt(m_easy, CURLOPT_NOPROXY, "*"));
      break;
    case ProxyChoice::NamedProxy:
      // libcurl would take an empty name as "no proxy"; the user asked for one.
      if (proxyName.empty()) ThrowNetworkError("no proxy named (SITE/PROXY is empty)");
      Check(curl_easy_setopt(m_easy, CURLOPT_PROXY, proxyName.c_str()));
      // An empty list also keeps no_proxy from the environment out.
      Check(curl_easy_setopt(m_easy, CURLOPT_NOPROXY, ""));
      break;
    case ProxyChoice::SystemSetting:
      break;  // libcurl reads http_proxy and no_proxy itself
  }
}

UrlCheck CHttpConnection::SplitUrl(const std::string& url, HttpsChoice https) {
  UrlHandle parsed(curl_url());
  if (!parsed) ThrowNetworkError("out of memory");
  // No default scheme: text without one is not a URL here. PATH_AS_IS keeps
  // "." and ".." segments; nothing is decoded or encoded.
  if (curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK) {
    return UrlCheck::Unusable;
  }
  m_scheme = UrlPart(parsed.get(), CURLUPART_SCHEME);
  if (m_scheme == "https" && https == HttpsChoice::Refused) return UrlCheck::HttpsRefused;
  if (m_scheme != "http" && m_scheme != "https") return UrlCheck::Unusable;
  // libcurl has checked the port (80 or 443 when there is none).
  if (UrlPart(parsed.get(), CURLUPART_HOST).empty()) return UrlCheck::Unusable;
  // Credentials come only from the list or the settings, never from the URL
  // (libcurl would send those itself), and a fragment never goes out.
  curl_url_set(parsed.get(), CURLUPART_USER, nullptr, 0);
  curl_url_set(parsed.get(), CURLUPART_PASSWORD, nullptr, 0);
  curl_url_set(parsed.get(), CURLUPART_OPTIONS, nullptr, 0);
  curl_url_set(parsed.get(), CURLUPART_FRAGMENT, nullptr, 0);
  m_url = UrlPart(parsed.get(), CURLUPART_URL);
  return m_url.empty() ? UrlCheck::Unusable : UrlCheck::Usable;
}

void CHttpConnection::SetTarget() {
  Check(curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, m_scheme.c_str()));
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
    if (!longer) ThrowNetworkError("out of memory");
    m_headers = longer;
  }
  Check(curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers));
}

void CHttpConnection::Start() {
  m_stage.reserve(m_receiveBufferSize);
  if (curl_multi_add_handle(m_multi, m_easy) != CURLM_OK)
    ThrowNetworkError("libcurl refused the request");
  m_easyInMulti = true;
  m_lastArrival = std::chrono::steady_clock::now();
  // A kept connection takes the request at once; a new one is begun.
  int running = 0;
  if (const CURLMcode code = curl_multi_perform(m_multi, &running); code != CURLM_OK) {
    ThrowNetworkError(curl_multi_strerror(code));
  }
  CollectFinished();
}

void CHttpConnection::AwaitHead() {
  switch (WaitFor([this] { return m_headDone; })) {
    case Waited::Stopped:
      throw CTearException(FETCH_STOPPED);
    case Waited::Finished:
      if (m_result != CURLE_OK) ThrowFailure(m_result);
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
    ThrowNetworkError(status > 0 ? "server answered with status " + std::to_string(status) + " only"
                                 : "server sent no status");
  }
  return status;
}

std::string CHttpConnection::ReplyHeader(const char* name) const {
  curl_header* header = nullptr;
  if (curl_easy_header(m_easy, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK) return {};
  return header->value;
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
    const CURLcode resumed = curl_easy_pause(m_easy, CURLPAUSE_CONT);
    if (resumed != CURLE_OK && !m_declined) ThrowFailure(resumed);
  }
  if (WaitFor([this] { return m_declined; }) != Waited::Finished) return;
  // The body's last block, or what arrived of it before a failure.
  if (m_partialSize > 0 && !m_sink->TakeBlocks({m_partialBlock.data(), m_partialSize})) return;
  if (m_result != CURLE_OK) ThrowFailure(m_result);
}

void CHttpConnection::ThrowFailure(CURLcode code) const {
  const std::string words = m_errorText[0] ? m_errorText.data() : curl_easy_strerror(code);
  if (IsCertificateFailure(code)) {
    throw CTearException(FETCH_HTTP_ERROR,
                         {FailureCause::CertificateRejected, "certificate not trusted: " + words});
  }
  if (IsTlsFailure(code))
    throw CTearException(FETCH_HTTP_ERROR, {FailureCause::TlsFailed, "TLS failed: " + words});
  if (code == CURLE_PARTIAL_FILE) {
    curl_off_t expected = -1;
    curl_easy_getinfo(m_easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
    throw CTearException(FETCH_NETWORK_ERROR,
                         CutBodyReason(m_bodyOffset + m_bodyArrived,
                                       expected < 0 ? expected : m_bodyOffset + expected));
  }
  long systemError = 0;
  curl_easy_getinfo(m_easy, CURLINFO_OS_ERRNO, &systemError);
  if (code == CURLE_COULDNT_CONNECT && systemError == ECONNREFUSED)
    ThrowNetworkError("connection refused");
  ThrowNetworkError(words);
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
    if (!m_isRunning()) return Waited::Stopped;
    int running = 0;
    if (const CURLMcode code = curl_multi_perform(m_multi, &running); code != CURLM_OK) {
      ThrowNetworkError(curl_multi_strerror(code));
    }
    CollectFinished();
    if (ready() || m_finished) continue;
    if (std::chrono::steady_clock::now() - m_lastArrival > m_limits.stallTimeout) {
      ThrowNetworkError(
          "server sent nothing for " +
          std::to_string(
              std::chrono::duration_cast<std::chrono::seconds>(m_limits.stallTimeout).count()) +
          " s");
    }
    const auto pollMs = static_cast<int>(m_limits.runFlagPoll.count());
    if (const CURLMcode code = curl_multi_poll(m_multi, nullptr, 0, pollMs, nullptr);
        code != CURLM_OK) {
      ThrowNetworkError(curl_multi_strerror(code));
    }
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
  connection.m_bodyArrived += static_cast<std::int64_t>(count);
  if (connection.m_sink) return connection.HandOn({data, count}) ? count : 0;
  if (!connection.m_stage.empty() &&
      connection.m_stage.size() + count > connection.m_receiveBufferSize) {
    connection.m_paused = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  connection.m_stage.insert(connection.m_stage.end(), data, data + count);
  return count;
}

std::size_t CHttpConnection::OnHeader(char* data, std::size_t, std::size_t count, void* self) {
  auto& connection = *static_cast<CHttpConnection*>(self);
  connection.m_lastArrival = std::chrono::steady_clock::now();
  const std::string_view line(data, count);
  if (line.starts_with("HTTP/")) connection.m_statusPhrase = StatusLinePhrase(line);
  const bool blankLine = line == "\r\n" || line == "\n";
  if (blankLine) {
    long status = 0;
    curl_easy_getinfo(connection.m_easy, CURLINFO_RESPONSE_CODE, &status);
    // 1xx replies are followed by the real one.
    if (status >= 200) connection.m_headDone = true;
  }
  return count;
}
