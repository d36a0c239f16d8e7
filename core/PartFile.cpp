#include "core/PartFile.h"

#include <cstdio>
#include <cstring>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SmallFile.h"

namespace {

// Something put at the partial name between our look and our open is met in
// the next round; a name that keeps changing under us fails the open.
constexpr int kOpenRounds = 3;

// A file this run may write and empty: regular, this user's, and with no
// other name, so that emptying it cannot reach a file outside the folder.
bool IsOwnSingleFile(const struct stat& info) {
  return S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_uid == geteuid();
}

// Removes what is at `path` unless it is a file of ours (or nothing): the
// link itself, never its target; a folder only when it is empty. False when
// it stays.
bool RemoveForeignEntry(const std::string& path) {
  struct stat entry {};
  if (lstat(path.c_str(), &entry) != 0) return errno == ENOENT;
  if (IsOwnSingleFile(entry)) return true;
  return (S_ISDIR(entry.st_mode) ? rmdir(path.c_str()) : unlink(path.c_str())) == 0;
}

}  // namespace

CPartFile::~CPartFile() {
  if (m_fd >= 0) close(m_fd);
  if (!m_partPath.empty() && NamesOurFile()) unlink(m_partPath.c_str());
}

bool CPartFile::NamesOurFile() const {
  struct stat entry {};
  return lstat(m_partPath.c_str(), &entry) == 0 && entry.st_dev == m_device && entry.st_ino == m_inode;
}

bool CPartFile::Open(const std::string& targetPath) {
  if (targetPath.empty()) return false;
  const std::string partPath = targetPath + std::string(kPartFileSuffix);
  for (int round = 0; round < kOpenRounds; ++round) {
    if (!RemoveForeignEntry(partPath)) return false;
    // Never through a link; a FIFO without a reader fails at once instead of
    // blocking, and one with a reader is found out below. Close-on-exec, so a
    // player started meanwhile does not inherit it.
    const int fd = open(partPath.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == ELOOP || errno == ENXIO || errno == EISDIR) continue;  // replaced under us
      return false;
    }
    struct stat info {};
    if (fstat(fd, &info) == 0 && IsOwnSingleFile(info) && ftruncate(fd, 0) == 0) {
      m_fd = fd;
      m_device = info.st_dev;
      m_inode = info.st_ino;
      m_targetPath = targetPath;
      m_partPath = partPath;
      return true;
    }
    close(fd);
  }
  return false;
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
  if (m_fd >= 0 || m_partPath.empty() || !NamesOurFile()) return false;
  if (std::rename(m_partPath.c_str(), m_targetPath.c_str()) != 0) return false;
  m_partPath.clear();
  return true;
}
