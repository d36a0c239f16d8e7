#pragma once
// Collects one request frame from a connection as its bytes come in, so a
// receiver can read many connections at once and a slow sender holds up only
// itself.

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/bus/BusFrame.h"

class RequestReader {
 public:
  enum class State {
    Incomplete,  // more bytes are needed
    Complete,    // Request() holds the frame, data included
    Refused,     // the header is malformed: answer with a refusal
    Dropped,     // the peer closed early or the read failed: close, no answer
  };

  // Reads whatever the non-blocking `fd` has to offer now.
  State ReadAvailable(int fd);

  // Takes bytes from `bytes`; returns how many were used (none once the frame
  // is complete or refused: anything after a frame is not read).
  std::size_t Feed(const std::uint8_t* bytes, std::size_t size);

  State Current() const { return m_state; }
  const RequestHeader& Request() const { return m_request; }
  RequestHeader& Request() { return m_request; }

 private:
  State m_state = State::Incomplete;
  std::array<std::uint8_t, kRequestHeaderSize> m_header{};
  std::size_t m_headerFilled = 0;
  std::size_t m_dataFilled = 0;
  RequestHeader m_request;
};
