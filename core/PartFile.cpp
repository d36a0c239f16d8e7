#include "core/PartFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

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
  if (m_fd < 0) return;
  // Removed while still held, so no other transfer can have taken the name.
  if (NamesOurFile()) unlink(m_partPath.c_str());
  close(m_fd);
}

bool CPartFile::NamesOurFile() const {
  struct stat entry {};
  return lstat(m_partPath.c_str(), &entry) == 0 && entry.st_dev == m_device &&
         entry.st_ino == m_inode;
}

void IgnoreFileSizeLimitSignal() { signal(SIGXFSZ, SIG_IGN); }

bool IsPartFileBusy(const std::string& targetPath) {
  const std::string partPath = targetPath + std::string(kPartFileSuffix);
  const int fd = open(partPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  const bool busy = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                    flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(fd);  // lets go of the shared lock, if it was taken
  return busy;
}

PartFileOpen CPartFile::Open(const std::string& targetPath) {
  if (targetPath.empty()) return PartFileOpen::Failed;
  m_partPath = targetPath + std::string(kPartFileSuffix);
  for (int round = 0; round < kOpenRounds; ++round) {
    if (!RemoveForeignEntry(m_partPath)) break;
    // Never through a link; a FIFO without a reader fails at once instead of
    // blocking, and one with a reader is found out below. Close-on-exec, so a
    // player started meanwhile does not inherit it.
    const int fd =
        open(m_partPath.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == ELOOP || errno == ENXIO || errno == EISDIR) continue;  // replaced under us
      break;
    }
    // A file system without flock gives no lock to take, and the transfer
    // goes on as before.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
      close(fd);
      m_partPath.clear();
      return PartFileOpen::Busy;
    }
    struct stat info {};
    const bool own = fstat(fd, &info) == 0 && IsOwnSingleFile(info);
    m_fd = fd;
    m_device = info.st_dev;
    m_inode = info.st_ino;
    // Only now, held, is the file emptied: unless an earlier holder renamed
    // or removed it before letting go, it is ours alone.
    if (own && NamesOurFile() && ftruncate(fd, 0) == 0) {
      m_targetPath = targetPath;
      return PartFileOpen::Opened;
    }
    m_fd = -1;
    close(fd);
  }
  m_partPath.clear();
  return PartFileOpen::Failed;
}

bool CPartFile::Write(const char* data, std::size_t size) {
  if (m_fd < 0 || m_failed) return false;
  if (size == 0) return true;
  if (m_buffered + size > m_buffer.size() && !FlushBuffer()) return false;
  if (size >= m_buffer.size()) {
    m_failed = !WriteAll(m_fd, {data, size});
    return !m_failed;
  }
  std::memcpy(m_buffer.data() + m_buffered, data, size);
  m_buffered += size;
  return true;
}

bool CPartFile::FlushBuffer() {
  if (m_buffered > 0 && !m_failed) m_failed = !WriteAll(m_fd, {m_buffer.data(), m_buffered});
  m_buffered = 0;
  return !m_failed;
}

bool CPartFile::Flush() {
  if (m_fd < 0 || !FlushBuffer()) return false;
  // Closing a second descriptor reports what a network file system could
  // only store at close, while the file itself stays open and held.
  const int probe = dup(m_fd);
  m_failed = probe < 0 || close(probe) != 0;
  return !m_failed;
}

bool CPartFile::Commit() {
  if (m_fd < 0 || m_failed || !NamesOurFile()) return false;
  if (std::rename(m_partPath.c_str(), m_targetPath.c_str()) != 0) return false;
  close(m_fd);
  m_fd = -1;
  return true;
}
