#pragma once
// Carries a transfer result code out of the steps of FetchItem to its single
// handler. Only the HTTP transfer throws or catches it.

#include <cstdint>

class CTearException {
 public:
  explicit CTearException(std::int32_t code) : m_nCode(code) {}

  std::int32_t m_nCode;  // a FetchResult
};
