#include "platform/SmallFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/FileStamp.h"
#include "platform/PathParts.h"

FileReadResult ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& content) {
  content.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? FileReadResult::Missing : FileReadResult::Unreadable;
  struct stat info {};
  FileReadResult result = FileReadResult::Read;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    result = FileReadResult::Unreadable;
  } else {
    // One byte more than allowed tells a file that grew too large meanwhile.
    content.resize(std::min<std::size_t>(static_cast<std::size_t>(info.st_size), maxBytes) + 1);
    std::size_t filled = 0;
    while (filled < content.size()) {
      const ssize_t got = read(fd, content.data() + filled, content.size() - filled);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) result = FileReadResult::Unreadable;
      if (got <= 0) break;
      filled += static_cast<std::size_t>(got);
    }
    content.resize(filled);
    if (result == FileReadResult::Read && filled > maxBytes) result = FileReadResult::TooLarge;
  }
  close(fd);
  if (result != FileReadResult::Read) content.clear();
  return result;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

FolderLock::FolderLock(const std::string& folder)
    : m_fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  if (m_fd < 0) return;
  // A signal arriving while another holder keeps us waiting is no failure.
  int locked = flock(m_fd, LOCK_EX);
  while (locked != 0 && errno == EINTR) locked = flock(m_fd, LOCK_EX);
  if (locked != 0) {
    close(m_fd);
    m_fd = -1;
  }
}

FolderLock::~FolderLock() {
  if (m_fd >= 0) close(m_fd);  // closing releases the lock
}

bool ReplaceFile(const std::string& path, std::string_view content) {
  std::string temporary = path + ".XXXXXX";
  // Closed on exec, so a program started meanwhile (the player) holds no
  // temporary file open.
  int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  // Every one of these files may hold something private (a password, the
  // path of a list), so the new one is 0600 whatever mode the old one had.
  bool ok = fchmod(fd, 0600) == 0 && WriteAll(fd, content) && fsync(fd) == 0;
  struct stat written {};
  ok = ok && fstat(fd, &written) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (ok)
    NoteOwnReplacement(path, StampOfStatus(written));
  else
    unlink(temporary.c_str());
  return ok;
}

UpdateResult UpdateSmallFile(
    const std::string& path, std::size_t maxBytes,
    const std::function<FileChange(FileReadResult read, std::string& text)>& change,
    ReadWhen when) {
  const std::string folder = GetDirectoryPart(path);
  FolderLock lock(folder.empty() ? std::string(".") : folder);
  if (!lock.Held()) return UpdateResult::Failed;
  if (when == ReadWhen::Settled) {
    timespec lookedAt{};
    StampOnceSettled(path, lookedAt);
  }
  std::string text;
  const FileReadResult read = ReadSmallFile(path, maxBytes, text);
  if (change(read, text) == FileChange::Keep) return UpdateResult::Kept;
  return ReplaceFile(path, text) ? UpdateResult::Replaced : UpdateResult::Failed;
}
