#include "core/PartFile.h"

#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "platform/SmallFile.h"

namespace {
// The body arrives in 1024-byte blocks; this many go to the disk per write.
constexpr std::size_t kWriteBufferSize = 256 * 1024;
}  // namespace

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
  if (!m_buffer) m_buffer = std::make_unique<char[]>(kWriteBufferSize);
  m_targetPath = targetPath;
  m_partPath = partPath;
  return true;
}

bool CPartFile::Write(const char* data, std::size_t size) {
  if (m_fd < 0 || m_failed) return false;
  if (m_buffered + size > kWriteBufferSize && !Flush()) return false;
  if (size >= kWriteBufferSize) {
    m_failed = !WriteAll(m_fd, {data, size});
    return !m_failed;
  }
  std::memcpy(m_buffer.get() + m_buffered, data, size);
  m_buffered += size;
  return true;
}

bool CPartFile::Flush() {
  if (m_buffered > 0 && !m_failed) m_failed = !WriteAll(m_fd, {m_buffer.get(), m_buffered});
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
