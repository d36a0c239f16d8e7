#pragma once
// Reading a download list line by line the way the lists were always read,
// in the text mode of the platform they come from: a CR LF pair counts as one
// line feed, a 0x1A byte ends the input, and a line is handed out in pieces
// of at most kMaxListLineBytes bytes, each piece a line of its own (only the
// last one carries the line feed).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kMaxListLineBytes = 1023;

class ListLineReader {
 public:
  // Opens `path` for reading; nullopt when it cannot be opened or is a
  // folder. Pipes and other streams are read like files.
  static std::optional<ListLineReader> Open(const std::string& path);

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
  explicit ListLineReader(int fd);
  int Get();   // the next byte after the CR LF rule, or -1 at the end
  int Peek();  // the next raw byte without taking it, or -1
  bool Fill();

  int m_fd = -1;
  bool m_ended = false;  // a 0x1A byte, the end of the file, or a read error was met
  std::vector<char> m_buffer;
  std::size_t m_position = 0;  // next unread byte of m_buffer
  std::size_t m_filled = 0;    // bytes of m_buffer holding input
};
