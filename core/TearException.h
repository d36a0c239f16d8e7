#pragma once
// Carries a transfer result code, and why, out of the steps of FetchItem to
// its single handler. Only the HTTP transfer throws or catches it.

#include <cstdint>
#include <utility>

#include "core/FailureReason.h"

class CTearException {
 public:
  explicit CTearException(std::int32_t code, FailureReason reason = {})
      : m_nCode(code), m_reason(std::move(reason)) {}

  std::int32_t m_nCode;    // a FetchResult
  FailureReason m_reason;  // empty for FETCH_STOPPED
};
