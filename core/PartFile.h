#pragma once
// The local file of a transfer while its body arrives. The bytes go to the
// target path plus ".part"; only Commit gives them the target's name, so a
// file at the target path is always complete. A part file that was not
// committed is removed by the destructor, whatever ended the transfer.
//
// The save folder may hold anything at the partial name: a link planted to
// reach a file elsewhere, a FIFO, a device, a folder, a hard link of a file
// outside. The part file is only ever a regular file of this user's with one
// name; anything else there is removed (the entry itself, never what a link
// points to) and replaced, or the open fails. Nothing is opened through a
// link, and nothing blocks on a FIFO.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include <sys/types.h>

// Pieces smaller than this are gathered into one write of this size; a
// larger piece (a fast network hands over ~100 KB at a time) goes to the disk
// straight from where it is, without being copied first.
inline constexpr std::size_t kPartFileBufferSize = 64 * 1024;

// Appended to a target's path to name its part file.
inline constexpr std::string_view kPartFileSuffix = ".part";

class CPartFile {
 public:
  // Writes are gathered in `buffer` (kPartFileBufferSize bytes serve best),
  // which must outlive the file.
  explicit CPartFile(std::span<char> buffer) : m_buffer(buffer) {}
  ~CPartFile();
  CPartFile(const CPartFile&) = delete;
  CPartFile& operator=(const CPartFile&) = delete;

  // Creates (or empties) "<targetPath>.part" for writing, replacing whatever
  // at that name is not a regular file of ours; false on failure.
  bool Open(const std::string& targetPath);
  // Appends `size` bytes; false on failure. Writes are buffered, so a failure
  // may also surface only in Close.
  bool Write(const char* data, std::size_t size);
  // Flushes and closes; false when anything written could not be stored.
  bool Close();
  // After a successful Close: renames the part file to the target path,
  // replacing what is there (a link there is replaced, not followed); false
  // on failure, also when the partial name no longer names the file written.
  bool Commit();

 private:
  bool Flush();
  // True while the partial name still names the file this object opened.
  bool NamesOurFile() const;

  int m_fd = -1;
  bool m_failed = false;  // a write has failed; nothing more is tried
  const std::span<char> m_buffer;
  std::size_t m_buffered = 0;
  std::string m_targetPath;
  std::string m_partPath;  // empty until Open succeeded, and again after Commit
  dev_t m_device = 0;      // the opened file, to tell it from what may be put at its name
  ino_t m_inode = 0;
};
