#pragma once
// Why a transfer did not store its file, as the user is told it: a cause for
// code that acts on it and one line of plain text for people. The text may
// hold bytes from a server or a list (a reason phrase, a path, libcurl's
// words about a certificate), so a front end makes it safe for its display
// before showing it. No display code here.

#include <cstdint>
#include <string>
#include <string_view>

enum class FailureCause {
  None,                 // no failure (or a Stop or Skip, which needs no reason)
  HttpStatus,           // a status of 300 or above
  ErrorBody,            // a body block beginning with "error"
  HttpsOff,             // an https URL while SITE/HTTPS is 0
  UnusableUrl,          // a URL that cannot be split or has another scheme
  SettingTooLong,       // a proxy name or credentials that do not fit a request
  CertificateRejected,  // the server's certificate did not verify
  TlsFailed,            // the TLS handshake failed otherwise
  Network,              // resolving, connecting, sending, receiving, a silent server
  ShortBody,            // fewer bytes than the reply announced, or under the floor
  WriteFailed,          // the local file could not be made or written
  CredentialsWithheld,  // stored credentials were not sent to this server
};

struct FailureReason {
  FailureCause cause = FailureCause::None;
  std::string text;  // one line, e.g. "HTTP 404 Not Found"; empty for None
};

// "HTTP <status> <phrase>", the phrase as the server gave it (cut to 200 bytes).
FailureReason HttpStatusReason(long status, std::string_view phrase);
// A body cut off: "server sent <received> of <expected> bytes", or without
// an announced length (negative `expected`) "server stopped after <received> bytes".
FailureReason CutBodyReason(std::int64_t received, std::int64_t expected);
// A whole body under `floor` bytes: "server sent only <received> bytes (a file has at least
// <floor>)".
FailureReason TooShortReason(std::int64_t received, std::int64_t floor);
// "could not write <path>: <the system's text for errorNumber>".
FailureReason WriteReason(std::string_view path, int errorNumber);
