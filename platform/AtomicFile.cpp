#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

FolderLock::FolderLock(const std::string& folder)
    : m_fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  if (m_fd >= 0 && flock(m_fd, LOCK_EX) != 0) {
    close(m_fd);
    m_fd = -1;
  }
}

FolderLock::~FolderLock() {
  if (m_fd >= 0) close(m_fd);  // closing releases the lock
}

bool ReplaceFile(const std::string& path, std::string_view content) {
  std::string temporary = path + ".XXXXXX";
  int fd = mkstemp(temporary.data());  // mode 0600
  if (fd < 0) return false;
  struct stat old {};
  bool ok = (stat(path.c_str(), &old) != 0 || fchmod(fd, old.st_mode & 07777) == 0) &&
            WriteAll(fd, content) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}
