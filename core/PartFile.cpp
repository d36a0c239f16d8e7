#include "core/PartFile.h"

#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "platform/SmallFile.h"

CPartFile::~CPartFile() {
  if (m_fd >= 0) close(m_fd);
  if (!m_partPath.empty()) unlink(m_partPath.c_str());
}

bool CPartFile::Open(const std::string& targetPath) {
  if (targetPath.empty()) return false;
  const std::string partPath = targetPath + ".part";
  // Close-on-exec, so a player started meanwhile does not inherit it.
  m_fd = open(partPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (m_fd < 0) return false;
  m_targetPath = targetPath;
  m_partPath = partPath;
  return true;
}

bool CPartFile::Write(const char* data, std::size_t size) {
  if (m_fd < 0 || m_failed) return false;
  if (size == 0) return true;
  if (m_buffered + size > m_buffer.size() && !Flush()) return false;
  if (size >= m_buffer.size()) {
    m_failed = !WriteAll(m_fd, {data, size});
    return !m_failed;
  }
  std::memcpy(m_buffer.data() + m_buffered, data, size);
  m_buffered += size;
  return true;
}

bool CPartFile::Flush() {
  if (m_buffered > 0 && !m_failed) m_failed = !WriteAll(m_fd, {m_buffer.data(), m_buffered});
  m_buffered = 0;
  return !m_failed;
}

bool CPartFile::Close() {
  if (m_fd < 0) return false;
  const bool written = Flush();
  const bool closed = close(m_fd) == 0;
  m_fd = -1;
  return written && closed;
}

bool CPartFile::Commit() {
  if (m_fd >= 0 || m_partPath.empty()) return false;
  if (std::rename(m_partPath.c_str(), m_targetPath.c_str()) != 0) return false;
  m_partPath.clear();
  return true;
}
