#include "core/PartFile.h"

#include <cstdio>

namespace {
// Large enough that 1024-byte blocks reach the disk in few system calls.
constexpr std::size_t kWriteBufferSize = 64 * 1024;
}  // namespace

CPartFile::~CPartFile() {
  if (m_file) std::fclose(m_file);
  if (!m_partPath.empty()) std::remove(m_partPath.c_str());
}

bool CPartFile::Open(const std::string& targetPath) {
  if (targetPath.empty()) return false;
  const std::string partPath = targetPath + ".part";
  // "e": close-on-exec, so a player started meanwhile does not inherit it.
  m_file = std::fopen(partPath.c_str(), "wbe");
  if (!m_file) return false;
  m_targetPath = targetPath;
  m_partPath = partPath;
  std::setvbuf(m_file, nullptr, _IOFBF, kWriteBufferSize);
  return true;
}

bool CPartFile::Write(const char* data, std::size_t size) {
  return m_file && std::fwrite(data, 1, size, m_file) == size;
}

bool CPartFile::Close() {
  if (!m_file) return false;
  const bool written = std::fflush(m_file) == 0 && !std::ferror(m_file);
  const bool closed = std::fclose(m_file) == 0;
  m_file = nullptr;
  return written && closed;
}

bool CPartFile::Commit() {
  if (m_file || m_partPath.empty()) return false;
  if (std::rename(m_partPath.c_str(), m_targetPath.c_str()) != 0) return false;
  m_partPath.clear();
  return true;
}
