#pragma once
// Reading a download list line by line the way the lists were always read,
// in the text mode of the platform they come from: a CR LF pair counts as one
// line feed, a 0x1A byte ends the input, and a line is handed out in pieces
// of at most kMaxListLineBytes bytes, each piece a line of its own (only the
// last one carries the line feed).

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kMaxListLineBytes = 1023;
// How long a read from a pipe waits before it looks at the stop flag again.
inline constexpr int kStopCheckMs = 50;

// The file a command-line argument names: a quoted argument (as the file
// manager passes it) loses its first and its last character.
std::string UnquotedListPath(std::string_view argument);

// True for the kinds of file read as lists: regular files and pipes (a FIFO,
// or a shell's "<(...)"). Devices, sockets and folders are no lists; a device
// such as /dev/zero would never end.
bool IsListFileType(mode_t mode);

class ListLineReader {
 public:
  // Opens `path` for reading; nullopt when it cannot be opened or is not a
  // kind of file read as a list (IsListFileType). A pipe is opened without
  // waiting for a writer. While `stop` (if given) is set, Next ends the
  // input: a pipe is waited for in slices of kStopCheckMs, never without end.
  static std::optional<ListLineReader> Open(const std::string& path,
                                            const std::atomic<bool>* stop = nullptr);

  ~ListLineReader();
  ListLineReader(ListLineReader&& other) noexcept;
  ListLineReader& operator=(ListLineReader&&) = delete;
  ListLineReader(const ListLineReader&) = delete;
  ListLineReader& operator=(const ListLineReader&) = delete;

  // The next line with its line feed, if it had one, cut at its first NUL
  // byte (the line is text); false at the end of the input. A read error
  // counts as the end.
  bool Next(std::string& line);

 private:
  ListLineReader(int fd, const std::atomic<bool>* stop);
  int Get();   // the next byte after the CR LF rule, or -1 at the end
  int Peek();  // the next raw byte without taking it, or -1
  bool Fill();

  int m_fd = -1;
  const std::atomic<bool>* m_pStop;  // not owned; may be null
  bool m_ended = false;              // a 0x1A byte, the end of the file, or a read error was met
  std::vector<char> m_buffer;
  std::size_t m_position = 0;  // next unread byte of m_buffer
  std::size_t m_filled = 0;    // bytes of m_buffer holding input
};
