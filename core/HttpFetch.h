#pragma once
// One attempt to fetch one download item over HTTP into its local file.

#include <cstdint>
#include <functional>

#include "core/DownloadCore.h"
#include "core/DownloadItem.h"
#include "core/EarlyRequest.h"
#include "core/FailureReason.h"
#include "core/TransferEngine.h"
#include "core/TransferLimits.h"
#include "core/TransferView.h"

// Result codes of FetchItem. The worker retries 10 to 19, ends the run on 20
// and above, takes 1 as a stop or skip, and waits out 2.
enum FetchResult : std::int32_t {
  FETCH_OK = 0,              // a body of at least kMinimumBodySize bytes was stored
  FETCH_STOPPED = 1,         // the run flag was found cleared (Stop or Skip)
  FETCH_BUSY = 2,            // another run is writing this file; nothing was changed
  FETCH_NETWORK_ERROR = 10,  // resolving, connecting, sending, reading or a stalled server
  FETCH_TOO_SHORT = 12,      // the body was shorter than kMinimumBodySize bytes
  FETCH_WRITE_ERROR = 20,    // the local file could not be created or written
  FETCH_BAD_URL = 21,        // the URL cannot be split, is not http or https (https while
                             // SITE/HTTPS is 0), or a setting is too long
  FETCH_HTTP_ERROR = 22,     // status 300 or above, a body block beginning with "error", or
                             // a certificate or TLS failure
};

// A shorter body is taken to be an error page rather than a music file.
inline constexpr std::int64_t kMinimumBodySize = 10000;

// Fetches item.m_strUrl into item.m_strLocalPath and returns a FetchResult.
// Runs on the worker thread; reads SITE/PROXY_MODE, SITE/PROXY, SITE/USERID,
// SITE/PASSWORD and SITE/HTTPS anew; keeps core.m_nPhase, m_nBytesReceived and
// m_bDataArrived up to date, adds what arrives to m_nBytesArrived, and sets
// the status texts "WAIT", "OK", "ERR", "----", "BUSY" and "File Writing
// Error" (a failure's status with its reason). A write failure shows message
// "0008" while the run flag is set. The body is written to the local path
// plus ".part" and takes the local path's name only on FETCH_OK; on every
// other result nothing is left on disk but a part file that GENERAL/RESUME
// keeps for the next attempt. The part file is held for the whole transfer; when
// another run holds it, the result is FETCH_BUSY and its file is untouched.
// Returns within about `limits.runFlagPoll` of the run flag being cleared.
// Every call makes and ends its own connection.
int FetchItem(CDownloadCore& core, CDownloadItem& item, const TransferLimits& limits = {});

// The same attempt through `engine`, which keeps a connection from one call
// to the next when the server (and the proxy) stay the same. The worker
// passes one engine for all of its attempts.
int FetchItem(CDownloadCore& core, CDownloadItem& item, CTransferEngine& engine,
              const TransferLimits& limits = {});

// The same, and `reason` says why when the result is a failure other than
// FETCH_STOPPED (else it is emptied).
int FetchItem(CDownloadCore& core, CDownloadItem& item, CTransferEngine& engine,
              FailureReason& reason, const TransferLimits& limits = {});

// The same, shown through `view` and run by its flag: the head's view writes
// into the core as the calls above do; one ahead of the head keeps what it
// shows, the "0008" box included, until its item becomes the head.
int FetchItem(CTransferView& view, const CDownloadItem& item, CTransferEngine& engine,
              FailureReason& reason, const TransferLimits& limits = {});

// Makes the request of `item` ready, for SendEarly to send before its turn
// and FetchItem to take on in it; null when it cannot be made now (the
// turn's own attempt then meets the same failure and tells it). Nothing is
// sent or shown; ended before its turn, the request is given up, and a part
// file kept to be resumed stays.
EarlyRequest PrepareEarly(CTransferView& view, const CDownloadItem& item, CTransferEngine& engine,
                          const TransferLimits& limits);
// Sends a request made ready by PrepareEarly; gives it up when it cannot.
void SendEarly(EarlyRequest& request);
// Where FetchItem hands over to the next item's early request: `requestSent`
// once this attempt's request is out and its reply awaited, `bodyIn` the
// moment the whole body is in and has passed every check that needs only
// its bytes, before the file is stored.
struct EarlyHooks {
  std::function<void()> requestSent;
  std::function<void()> bodyIn;
};
// The FetchItem above, taking on `early` when it was made for `item` from
// settings that still hold, and calling `hooks` on the way.
int FetchItem(CTransferView& view, const CDownloadItem& item, CTransferEngine& engine,
              FailureReason& reason, const TransferLimits& limits, EarlyRequest early,
              const EarlyHooks& hooks);
