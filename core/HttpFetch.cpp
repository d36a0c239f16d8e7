#include "core/HttpFetch.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "config/TextFields.h"
#include "core/Base64.h"
#include "core/HttpConnection.h"
#include "core/PartFile.h"
#include "core/SiteOrigin.h"
#include "core/TearException.h"
#include "platform/CaseInsensitive.h"

namespace {

// The longest proxy name the settings may give, and the longest value of an
// authorisation header (what kMaxBase64Input bytes encode to).
constexpr std::size_t kMaxProxyName = 511;
constexpr std::size_t kMaxAuthorization = 2047;

// The settings of one attempt, from one look at the file, so that a user id
// is never sent with the password of another version of it. Every value
// read is kept, so that a request made before its turn can tell whether
// the settings it was made from still read the same at its turn.
class AttemptSettings {
 public:
  std::string Read(std::string_view section, std::string_view key) {
    std::string value = m_snapshot.Read(section, key, -1);
    m_read.push_back({std::string(section), std::string(key), value});
    return value;
  }
  std::int32_t ReadInt(std::string_view section, std::string_view key) {
    return ParseDecimalInt(Read(section, key));
  }
  bool StillReadTheSame() const {
    const SettingsSnapshot now;
    return std::all_of(m_read.begin(), m_read.end(), [&now](const ReadValue& read) {
      return now.Read(read.section, read.key, -1) == read.value;
    });
  }

 private:
  struct ReadValue {
    std::string section;
    std::string key;
    std::string value;
  };
  const SettingsSnapshot m_snapshot;
  std::vector<ReadValue> m_read;
};

struct ProxySetting {
  ProxyChoice choice;
  std::string name;
};

ProxySetting ReadProxySetting(AttemptSettings& settings) {
  const ProxyChoice choice = ProxyChoiceForMode(settings.ReadInt("SITE", "PROXY_MODE"));
  if (choice != ProxyChoice::NamedProxy) return {choice, {}};
  std::string name = settings.Read("SITE", "PROXY");
  if (name.size() > kMaxProxyName) {
    throw CTearException(FETCH_BAD_URL, {FailureCause::SettingTooLong,
                                         "proxy name longer than 511 characters (SITE/PROXY)"});
  }
  return {choice, std::move(name)};
}

// Text that would break the header line it is put into.
bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// Why a 401 came back when the stored credentials were kept from the server.
constexpr const char* kCredentialsOnlyForSite =
    "server asks for a password; the stored one (SITE/USERID) goes only to the SITE/URL server";
constexpr const char* kCredentialsForNoServer =
    "server asks for a password; the stored one (SITE/USERID) goes to no server while SITE/URL is "
    "empty";

struct RequestHeaderLines {
  std::vector<std::string> lines;
  const char* withheldReason = nullptr;  // set when stored credentials were kept back
};

// The list's credentials verbatim, to whatever server the list names; else
// SITE/USERID and SITE/PASSWORD (an empty password still sends the user id
// and the colon), but only to the server of SITE/URL; else none. Values too
// long for the header, or that would end its line, are refused.
RequestHeaderLines RequestHeaders(const CDownloadItem& item, AttemptSettings& settings) {
  RequestHeaderLines headers{{"Accept: text/*", "User-Agent: Tunefetch"}};
  const std::string userId = settings.Read("SITE", "USERID");
  const std::string password = settings.Read("SITE", "PASSWORD");
  const std::string site = settings.Read("SITE", "URL");
  std::string credentials;
  if (!item.m_strAuth.empty()) {
    if (item.m_strAuth.size() > kMaxAuthorization || HasControlCharacter(item.m_strAuth)) {
      throw CTearException(FETCH_BAD_URL, {FailureCause::SettingTooLong,
                                           "the list's credentials do not fit a request"});
    }
    credentials = item.m_strAuth;
  } else if (!userId.empty() && !IsSiteOrigin(site, item.m_strUrl)) {
    headers.withheldReason = site.empty() ? kCredentialsForNoServer : kCredentialsOnlyForSite;
  } else if (!userId.empty()) {
    const std::string pair = userId + ":" + password;
    if (pair.size() > kMaxBase64Input) {
      throw CTearException(FETCH_BAD_URL, {FailureCause::SettingTooLong,
                                           "SITE/USERID and SITE/PASSWORD are too long"});
    }
    credentials = Base64Encode(pair);
  }
  if (!credentials.empty()) headers.lines.push_back("Authorization: Basic " + credentials);
  return headers;
}

void ThrowIfStopped(const CTransferView& view) {
  if (!view.IsRunning()) throw CTearException(FETCH_STOPPED);
}

// Judges the body block by block as it arrives, keeps the shared progress
// fields, and sends what it accepted to the part file. It runs inside
// libcurl, so instead of throwing it ends the body and keeps the result.
class BodyWriter final : public BodySink {
 public:
  // The body continues a file that holds `offset` bytes (a multiple of
  // kBlockSize), so its blocks stay at the file's block offsets.
  BodyWriter(CTransferView& view, CPartFile& file, std::int64_t offset)
      : m_view(view), m_file(file), m_total(offset) {
    m_view.StartCount(ClampedCount(offset));
  }

  // The system's error number of a failed write.
  int WriteError() const { return m_writeError; }

  bool TakeBlocks(std::span<const char> blocks) override {
    // Each block is judged, and the run flag looked at, in turn; the blocks
    // judged go to the file together, straight from where they arrived.
    std::size_t accepted = 0;
    while (accepted < blocks.size() && m_view.IsRunning()) {
      const std::span<const char> block =
          blocks.subspan(accepted, std::min(kBlockSize, blocks.size() - accepted));
      // Servers that cannot deliver often answer 200 with an error text.
      if (StartsWithIgnoringCase({block.data(), block.size()}, "error"))
        return Fail(FETCH_HTTP_ERROR);
      accepted += block.size();
    }
    m_total += static_cast<std::int64_t>(accepted);
    if (accepted > 0) m_view.CountBytes(ClampedCount(m_total), accepted);
    if (!m_file.Write(blocks.data(), accepted)) {
      m_writeError = errno;
      return Fail(FETCH_WRITE_ERROR);
    }
    return accepted == blocks.size();
  }

  // FETCH_OK, or why the body was given up (not for a cleared run flag).
  std::int32_t Verdict() const { return m_verdict; }
  std::int64_t Total() const { return m_total; }

 private:
  // The shown count counts the whole file and is 32 bits wide; it stops at
  // its maximum.
  static std::int32_t ClampedCount(std::int64_t bytes) {
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(bytes, std::numeric_limits<std::int32_t>::max()));
  }

  bool Fail(std::int32_t verdict) {
    m_verdict = verdict;
    return false;
  }

  CTransferView& m_view;
  CPartFile& m_file;
  std::int64_t m_total;
  std::int32_t m_verdict = FETCH_OK;
  int m_writeError = 0;
};

[[noreturn]] void ThrowWriteError(const CDownloadItem& item, int errorNumber) {
  throw CTearException(FETCH_WRITE_ERROR, WriteReason(item.m_strLocalPath, errorNumber));
}

// Reads SITE/HTTPS; anything but 0 lets https URLs through.
HttpsChoice ReadHttpsSetting(AttemptSettings& settings) {
  return settings.ReadInt("SITE", "HTTPS") == 0 ? HttpsChoice::Refused : HttpsChoice::Allowed;
}

// The validator of the reply's body: its ETag, else its Last-Modified; none
// when it would not fit a request line.
std::string ReplyValidator(const CHttpConnection& connection) {
  std::string validator = connection.ReplyHeader("ETag");
  if (validator.empty()) validator = connection.ReplyHeader("Last-Modified");
  return HasControlCharacter(validator) ? std::string() : validator;
}

// What is kept with a part file: the item's URL and the reply's validator,
// on two lines, so that bytes are never continued from another URL whose
// file happens to carry the same validator (two lists naming one file).
std::string ValidatorRecord(const std::string& url, const std::string& validator) {
  return validator.empty() ? std::string() : url + '\n' + validator;
}
// The validator of a record kept for `url`, or empty text.
std::string RecordedValidator(const std::string& record, const std::string& url) {
  if (!record.starts_with(url + '\n')) return {};
  std::string validator = record.substr(url.size() + 1);
  return HasControlCharacter(validator) ? std::string() : validator;
}

// Only a 206 that starts where the kept bytes end, of the same version of
// the file, continues them.
bool ContinuesFile(const CHttpConnection& connection, long status, std::int64_t from,
                   const std::string& validator) {
  return status == 206 &&
         connection.ReplyHeader("Content-Range")
             .starts_with("bytes " + std::to_string(from) + "-") &&
         ReplyValidator(connection) == validator;
}

void ThrowUnlessOpened(PartFileOpen opened, const CDownloadItem& item) {
  switch (opened) {
    case PartFileOpen::Opened:
      return;
    case PartFileOpen::Busy:
      throw CTearException(FETCH_BUSY);
    case PartFileOpen::Failed:
      ThrowWriteError(item, errno);
  }
}

// What was fetched of a file is kept for a later attempt only when the
// network or the user's Stop ended the transfer: not after a Skip (the user
// does not want the file), an answer that is not the file, a body too short
// to be one, or a write that failed (what is on disk may not be what came).
bool KeepsPartFile(std::int32_t result, const CTransferView& view) {
  return result == FETCH_NETWORK_ERROR || (result == FETCH_STOPPED && !view.IsSkipped());
}

void ReportFailure(CTransferView& view, std::int32_t result, const FailureReason& reason) {
  switch (result) {
    case FETCH_STOPPED:
      view.SetStatusText("----");
      break;
    case FETCH_BUSY:
      // Not a failure: the worker waits for the other run, so no cause.
      view.SetStatusText(kStatusBusy,
                         {FailureCause::None, "another run is fetching this file; waiting for it"});
      break;
    case FETCH_NETWORK_ERROR:
    case FETCH_TOO_SHORT:
    case FETCH_BAD_URL:
    case FETCH_HTTP_ERROR:
      view.SetStatusText("ERR", reason);
      break;
    case FETCH_WRITE_ERROR:
      view.SetStatusText("File Writing Error", reason);
      // After Stop or Skip the user has moved on; no box for a dead transfer.
      if (view.IsRunning()) view.ShowMessageBox(GetMessageText("0008"), MessageButtons::Ok);
      break;
    default:
      break;
  }
}

}  // namespace

// One attempt at one item, in three steps: Prepare makes the request ready
// (taking the part file first when it may be resumed, since the request
// depends on what it holds), Start sends it, Finish waits for the reply and
// stores the body. Each
// failure leaves by CTearException; the connection is released while it
// unwinds, and the part file is removed unless it is kept to be resumed.
class CFetchAttempt {
 public:
  CFetchAttempt(CTransferView& view, const CDownloadItem& item, CTransferEngine& engine,
                const TransferLimits& limits, CTransferEngine::SlotLease slot)
      : m_view(view),
        m_item(item),
        m_engine(engine),
        m_limits(limits),
        m_slot(std::move(slot)),
        m_file(m_slot->WriteBuffer()) {}

  // Everything before the request is sent. `shown`: the view shows the wait
  // for the reply from here on; an attempt made ready before its turn shows
  // nothing until Finish.
  void Prepare(bool shown) {
    m_proxy = ReadProxySetting(m_settings);
    OpenConnection();
    if (shown) ShowWaiting();
    m_waitShown = shown;
    m_headers = RequestHeaders(m_item, m_settings);
    m_resume = m_settings.ReadInt("GENERAL", "RESUME") != 0;
    if (m_resume) ThrowUnlessOpened(m_file.OpenToResume(m_item.m_strLocalPath, kBlockSize), m_item);
    m_validator = RecordedValidator(m_file.Validator(), m_item.m_strUrl);
    m_from = m_validator.empty() ? 0 : m_file.ResumeOffset();
    PrepareRequest(m_from);
  }

  void Start() {
    m_connection->Start();
    m_started = true;
  }
  bool Started() const { return m_started; }

  // After Start: waits for the reply and stores the body, calling the hooks
  // on the way.
  void Finish(const EarlyHooks& hooks) {
    if (!m_waitShown) ShowWaiting();
    if (hooks.requestSent) hooks.requestSent();
    long status = AwaitStatus();
    const bool continues = m_from > 0 && ContinuesFile(*m_connection, status, m_from, m_validator);
    // A range the server cannot give, or one of another version of the
    // file: the file is asked for again from its start.
    if (m_from > 0 && !continues && (status == 206 || status == 416)) {
      OpenConnection();
      PrepareRequest(0);
      Start();
      status = AwaitStatus();
    }
    if (status >= 300) {
      if (status == 401 && m_headers.withheldReason) {
        throw CTearException(FETCH_HTTP_ERROR,
                             {FailureCause::CredentialsWithheld,
                              HttpStatusReason(status, m_connection->StatusPhrase()).text + "; " +
                                  m_headers.withheldReason});
      }
      throw CTearException(FETCH_HTTP_ERROR,
                           HttpStatusReason(status, m_connection->StatusPhrase()));
    }

    m_view.SetStatusText("OK");
    if (!m_resume) {
      ThrowUnlessOpened(m_file.Open(m_item.m_strLocalPath), m_item);
    } else if (!continues &&
               !m_file.Restart(ValidatorRecord(m_item.m_strUrl, ReplyValidator(*m_connection)))) {
      ThrowWriteError(m_item, errno);
    }
    m_connection->SetBodyOffset(m_file.ResumeOffset());
    m_view.SetPhase(PHASE_RECEIVING);

    BodyWriter body(m_view, m_file, m_file.ResumeOffset());
    m_connection->ReceiveBody(body);
    if (body.Verdict() == FETCH_WRITE_ERROR) ThrowWriteError(m_item, body.WriteError());
    if (body.Verdict() == FETCH_HTTP_ERROR) {
      throw CTearException(FETCH_HTTP_ERROR, {FailureCause::ErrorBody,
                                              "server sent an error text in place of the file"});
    }
    if (hooks.bodyIn && m_view.IsRunning() && body.Total() >= kMinimumBodySize) hooks.bodyIn();

    if (!m_file.Flush()) ThrowWriteError(m_item, errno);
    ThrowIfStopped(m_view);
    if (body.Total() < kMinimumBodySize) {
      throw CTearException(FETCH_TOO_SHORT, TooShortReason(body.Total(), kMinimumBodySize));
    }
    if (!m_file.Commit()) ThrowWriteError(m_item, errno);
  }

  // After a failure: the part file goes unless it is to be resumed.
  void Failed(std::int32_t result) {
    if (!KeepsPartFile(result, m_view)) m_file.Discard();
  }

  const CDownloadItem& Item() const { return m_item; }

  // Whether every setting the request was made from still reads the same:
  // a change made since it was made applies to this item all the same.
  bool SettingsUnchanged() const { return m_settings.StillReadTheSame(); }

 private:
  void OpenConnection() {
    m_connection.emplace(
        m_engine, *m_slot, [this] { return m_view.IsRunning(); }, m_limits);
    m_connection->OpenSession(m_proxy.choice, m_proxy.name);
    switch (m_connection->SplitUrl(m_item.m_strUrl, ReadHttpsSetting(m_settings))) {
      case UrlCheck::Usable:
        break;
      case UrlCheck::HttpsRefused:
        throw CTearException(FETCH_BAD_URL,
                             {FailureCause::HttpsOff, "https is off (SITE/HTTPS=0)"});
      case UrlCheck::Unusable:
        throw CTearException(FETCH_BAD_URL, {FailureCause::UnusableUrl,
                                             "not an http or https URL: " + m_item.m_strUrl});
    }
  }

  void ShowWaiting() {
    m_view.SetStatusText("WAIT");
    m_view.SetPhase(PHASE_CONNECTING);
  }

  void PrepareRequest(std::int64_t rangeFrom) {
    std::vector<std::string> lines = m_headers.lines;
    if (rangeFrom > 0) {
      lines.push_back("Range: bytes=" + std::to_string(rangeFrom) + "-");
      lines.push_back("If-Range: " + m_validator);
    }
    ThrowIfStopped(m_view);
    m_connection->SetTarget();
    ThrowIfStopped(m_view);
    m_connection->OpenRequest();
    ThrowIfStopped(m_view);
    m_connection->AddHeaders(lines);
  }

  long AwaitStatus() {
    m_connection->AwaitHead();
    ThrowIfStopped(m_view);
    return m_connection->QueryStatus();
  }

  CTransferView& m_view;
  const CDownloadItem& m_item;
  CTransferEngine& m_engine;
  const TransferLimits& m_limits;
  // Declared first, so that it is given back last: the file and the
  // connection use its memory to their end.
  CTransferEngine::SlotLease m_slot;
  CPartFile m_file;
  AttemptSettings m_settings;
  ProxySetting m_proxy;
  RequestHeaderLines m_headers;
  bool m_resume = false;
  std::string m_validator;  // of the bytes kept to be resumed, for If-Range
  std::int64_t m_from = 0;  // where the body is asked to start
  bool m_waitShown = false;
  bool m_started = false;  // the request has gone out
  std::optional<CHttpConnection> m_connection;
};

void FetchAttemptEnd::operator()(CFetchAttempt* attempt) const { delete attempt; }

namespace {

// A new attempt at `item`, or a network error when libcurl cannot start one.
EarlyRequest NewAttempt(CTransferView& view, const CDownloadItem& item, CTransferEngine& engine,
                        const TransferLimits& limits) {
  CTransferEngine::SlotLease slot = engine.TakeSlot();
  if (!slot) {
    throw CTearException(FETCH_NETWORK_ERROR,
                         {FailureCause::Network, "libcurl could not be started"});
  }
  return EarlyRequest(new CFetchAttempt(view, item, engine, limits, std::move(slot)));
}

}  // namespace

int FetchItem(CDownloadCore& core, CDownloadItem& item, const TransferLimits& limits) {
  CTransferEngine engine;
  return FetchItem(core, item, engine, limits);
}

int FetchItem(CDownloadCore& core, CDownloadItem& item, CTransferEngine& engine,
              const TransferLimits& limits) {
  FailureReason unused;
  return FetchItem(core, item, engine, unused, limits);
}

int FetchItem(CDownloadCore& core, CDownloadItem& item, CTransferEngine& engine,
              FailureReason& reason, const TransferLimits& limits) {
  CTransferView view(core, CTransferView::Place::Head);
  return FetchItem(view, item, engine, reason, limits);
}

int FetchItem(CTransferView& view, const CDownloadItem& item, CTransferEngine& engine,
              FailureReason& reason, const TransferLimits& limits) {
  return FetchItem(view, item, engine, reason, limits, nullptr, {});
}

EarlyRequest PrepareEarly(CTransferView& view, const CDownloadItem& item, CTransferEngine& engine,
                          const TransferLimits& limits) {
  try {
    EarlyRequest attempt = NewAttempt(view, item, engine, limits);
    attempt->Prepare(false);
    return attempt;
  } catch (const CTearException&) {
    // The item's own attempt meets the same failure in its turn, and tells
    // it; a part file to resume is kept as it was found.
    return nullptr;
  }
}

void SendEarly(EarlyRequest& request) {
  try {
    request->Start();
  } catch (const CTearException&) {
    request.reset();
  }
}

int FetchItem(CTransferView& view, const CDownloadItem& item, CTransferEngine& engine,
              FailureReason& reason, const TransferLimits& limits, EarlyRequest early,
              const EarlyHooks& hooks) {
  view.SetPhase(PHASE_IDLE);
  view.StartCount(0);
  view.ClearStatusReason();
  std::int32_t result = FETCH_OK;
  reason = {};
  try {
    const bool taken = early && &early->Item() == &item && early->SettingsUnchanged();
    // One that cannot be taken on goes first: a connection it was sent on
    // is closed.
    if (!taken) early.reset();
    EarlyRequest attempt = taken ? std::move(early) : NewAttempt(view, item, engine, limits);
    try {
      if (!taken) attempt->Prepare(true);
      if (!attempt->Started()) attempt->Start();
      attempt->Finish(hooks);
    } catch (const CTearException& tear) {
      attempt->Failed(tear.m_nCode);
      throw;
    }
  } catch (const CTearException& tear) {
    result = tear.m_nCode;
    reason = tear.m_reason;
  }
  ReportFailure(view, result, reason);
  view.SetPhase(PHASE_IDLE);
  return result;
}
