#include "platform/bus/RequestReader.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

std::size_t RequestReader::Feed(const std::uint8_t* bytes, std::size_t size) {
  std::size_t used = 0;
  if (m_state == State::Incomplete && m_headerFilled < m_header.size()) {
    const std::size_t take = std::min(size, m_header.size() - m_headerFilled);
    std::memcpy(m_header.data() + m_headerFilled, bytes, take);
    m_headerFilled += take;
    used += take;
    if (m_headerFilled < m_header.size()) return used;
    if (DecodeRequestHeader(m_header, m_request) != FrameCheck::Ok) {
      m_state = State::Refused;
      return used;
    }
    m_request.message.data.resize(m_request.dataLength);
  }
  if (m_state == State::Incomplete) {
    const std::size_t take = std::min(size - used, m_request.message.data.size() - m_dataFilled);
    if (take > 0) std::memcpy(m_request.message.data.data() + m_dataFilled, bytes + used, take);
    m_dataFilled += take;
    used += take;
    if (m_dataFilled == m_request.message.data.size()) m_state = State::Complete;
  }
  return used;
}

RequestReader::State RequestReader::ReadAvailable(int fd) {
  std::array<std::uint8_t, 4096> buffer{};
  while (m_state == State::Incomplete) {
    // Never more than the frame still needs, so nothing past it is consumed.
    const std::size_t wanted = m_headerFilled < m_header.size()
                                   ? m_header.size() - m_headerFilled
                                   : m_request.message.data.size() - m_dataFilled;
    const ssize_t got = recv(fd, buffer.data(), std::min(wanted, buffer.size()), 0);
    if (got > 0) {
      Feed(buffer.data(), static_cast<std::size_t>(got));
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    m_state = State::Dropped;  // closed before the frame was whole, or failed
  }
  return m_state;
}
