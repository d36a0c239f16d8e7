#include "core/FailureReason.h"

#include <cstring>

namespace {

// A reason phrase longer than this is a server's mistake; the line stays short.
constexpr std::size_t kMaxPhrase = 200;

}  // namespace

FailureReason HttpStatusReason(long status, std::string_view phrase) {
  std::string text = "HTTP " + std::to_string(status);
  if (!phrase.empty()) text += " " + std::string(phrase.substr(0, kMaxPhrase));
  return {FailureCause::HttpStatus, std::move(text)};
}

FailureReason CutBodyReason(std::int64_t received, std::int64_t expected) {
  if (expected < 0)
    return {FailureCause::ShortBody, "server stopped after " + std::to_string(received) + " bytes"};
  return {FailureCause::ShortBody,
          "server sent " + std::to_string(received) + " of " + std::to_string(expected) + " bytes"};
}

FailureReason TooShortReason(std::int64_t received, std::int64_t floor) {
  return {FailureCause::ShortBody, "server sent only " + std::to_string(received) +
                                       " bytes (a file has at least " + std::to_string(floor) +
                                       ")"};
}

FailureReason WriteReason(std::string_view path, int errorNumber) {
  return {FailureCause::WriteFailed,
          "could not write " + std::string(path) + ": " + std::strerror(errorNumber)};
}
