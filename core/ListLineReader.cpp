#include "core/ListLineReader.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {

constexpr std::size_t kReadSize = 64 * 1024;
constexpr int kEndOfInputByte = 0x1A;

}  // namespace

std::string UnquotedListPath(std::string_view argument) {
  if (!argument.starts_with('"')) return std::string(argument);
  return argument.size() >= 2 ? std::string(argument.substr(1, argument.size() - 2))
                              : std::string();
}

bool IsListFileType(mode_t mode) { return S_ISREG(mode) || S_ISFIFO(mode); }

std::optional<ListLineReader> ListLineReader::Open(const std::string& path,
                                                   const std::atomic<bool>* stop) {
  // Without O_NONBLOCK, opening a FIFO waits for a writer, and nothing could
  // stop that wait. Reads poll before they read (Fill).
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !IsListFileType(info.st_mode)) {
    close(fd);
    return std::nullopt;
  }
  return ListLineReader(fd, stop);
}

ListLineReader::ListLineReader(int fd, const std::atomic<bool>* stop)
    : m_fd(fd), m_pStop(stop), m_buffer(kReadSize) {}

ListLineReader::ListLineReader(ListLineReader&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_pStop(other.m_pStop),
      m_ended(other.m_ended),
      m_buffer(std::move(other.m_buffer)),
      m_position(other.m_position),
      m_filled(other.m_filled) {}

ListLineReader::~ListLineReader() {
  if (m_fd >= 0) close(m_fd);
}

// A pipe whose writer has not written yet polls as not ready (Linux reports
// no hang-up on a FIFO before its first writer), so the read waits here, in
// slices, instead of taking the empty pipe for the end.
bool ListLineReader::Fill() {
  if (m_position < m_filled) return true;
  ssize_t count = -1;
  while (!(m_pStop && *m_pStop)) {
    pollfd input{m_fd, POLLIN, 0};
    const int ready = poll(&input, 1, kStopCheckMs);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    count = read(m_fd, m_buffer.data(), m_buffer.size());
    if (count >= 0 || (errno != EAGAIN && errno != EINTR)) break;
  }
  m_position = 0;
  m_filled = count > 0 ? static_cast<std::size_t>(count) : 0;
  return m_filled > 0;
}

int ListLineReader::Peek() {
  if (m_ended || !Fill()) return -1;
  return static_cast<unsigned char>(m_buffer[m_position]);
}

int ListLineReader::Get() {
  const int c = Peek();
  if (c < 0 || c == kEndOfInputByte) {
    m_ended = true;
    return -1;
  }
  ++m_position;
  if (c == '\r' && Peek() == '\n') {
    ++m_position;
    return '\n';
  }
  return c;
}

bool ListLineReader::Next(std::string& line) {
  line.clear();
  while (line.size() < kMaxListLineBytes) {
    const int c = Get();
    if (c < 0) break;
    line += static_cast<char>(c);
    if (c == '\n') break;
  }
  if (line.empty()) return false;
  if (const std::size_t nul = line.find('\0'); nul != std::string::npos) line.resize(nul);
  return true;
}
