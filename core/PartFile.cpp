#include "core/PartFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
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
  static const uid_t self = geteuid();
  return S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_uid == self;
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
  // A file to resume keeps what was written; an empty one is worth nothing.
  struct stat info {};
  const bool keep = m_keep && FlushBuffer() && fstat(m_fd, &info) == 0 && info.st_size > 0;
  // Removed while still held, so no other transfer can have taken the name.
  if (!keep && NamesOurFile()) unlink(m_partPath.c_str());
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

PartFileOpen CPartFile::Open(const std::string& targetPath) { return OpenHeld(targetPath, 0); }

PartFileOpen CPartFile::OpenToResume(const std::string& targetPath, std::size_t resumeBlock) {
  return OpenHeld(targetPath, resumeBlock);
}

PartFileOpen CPartFile::OpenHeld(const std::string& targetPath, std::size_t resumeBlock) {
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
    // or removed it before letting go, it is ours alone. A file just made
    // holds nothing to empty or to resume, the common case worth its few
    // system calls between one file's end and the next request.
    m_recordMayExist = true;
    if (own && NamesOurFile() &&
        (resumeBlock == 0 ? info.st_size == 0 || ftruncate(fd, 0) == 0
                          : KeepResumable(resumeBlock, info.st_size))) {
      m_empty = m_resumeOffset == 0;
      m_targetPath = targetPath;
      m_keep = resumeBlock > 0;
      return PartFileOpen::Opened;
    }
    m_fd = -1;
    close(fd);
  }
  m_partPath.clear();
  return PartFileOpen::Failed;
}

bool CPartFile::KeepResumable(std::size_t resumeBlock, off_t size) {
  m_validator.clear();
  m_resumeOffset = 0;
  if (size == 0) return true;  // nothing kept: a record alone is worth nothing
  // A record that does not fit a page is not ours to trust.
  std::array<char, 4096> value{};
  const ssize_t length = fgetxattr(m_fd, kValidatorAttribute, value.data(), value.size());
  m_validator.assign(value.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
  m_recordMayExist = !(length < 0 && errno == ENODATA);
  // Bytes without a validator cannot be matched to the server's file. The
  // rest is cut back to whole blocks, so the blocks of the body that
  // continues it stay where they would have been in the file.
  const auto block = static_cast<off_t>(resumeBlock);
  m_resumeOffset = m_validator.empty() ? 0 : size - size % block;
  if (m_resumeOffset == 0) m_validator.clear();
  return ftruncate(m_fd, m_resumeOffset) == 0 &&
         lseek(m_fd, m_resumeOffset, SEEK_SET) == m_resumeOffset;
}

bool CPartFile::Restart(const std::string& validator) {
  if (m_fd < 0 || m_failed) return false;
  m_buffered = 0;
  m_resumeOffset = 0;
  m_validator = validator;
  if (!m_empty && (ftruncate(m_fd, 0) != 0 || lseek(m_fd, 0, SEEK_SET) != 0)) return false;
  m_empty = true;
  // On a file system without extended attributes nothing is kept, and a
  // later transfer starts the file again.
  if (!validator.empty() &&
      fsetxattr(m_fd, kValidatorAttribute, validator.data(), validator.size(), 0) == 0) {
    m_recordMayExist = true;
  } else {
    ForgetRecord();
  }
  return true;
}

bool CPartFile::Write(const char* data, std::size_t size) {
  if (m_fd < 0 || m_failed) return false;
  if (size == 0) return true;
  m_empty = false;
  if (m_buffered + size > m_buffer.size() && !FlushBuffer()) return false;
  if (size >= m_buffer.size()) {
    m_failed = !WriteAll(m_fd, {data, size});
    return !m_failed;
  }
  std::memcpy(m_buffer.data() + m_buffered, data, size);
  m_buffered += size;
  return true;
}

void CPartFile::ForgetRecord() {
  if (m_recordMayExist) fremovexattr(m_fd, kValidatorAttribute);
  m_recordMayExist = false;
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
  ForgetRecord();  // the finished file needs no validator
  if (std::rename(m_partPath.c_str(), m_targetPath.c_str()) != 0) return false;
  close(m_fd);
  m_fd = -1;
  return true;
}
