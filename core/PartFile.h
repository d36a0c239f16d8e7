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
//
// A part file belongs to one transfer at a time: it is held under an
// exclusive flock from before it is emptied until it has been renamed or
// removed, so a second run (or a second program) that comes to the same
// name finds it busy and leaves it alone. The name stays "<target>.part", so
// a later run can find a part file left behind by name.
//
// A transfer that may be resumed (OpenToResume) keeps its part file when it
// ends without Commit or Discard, with the server's validator of the body in
// the extended attribute kValidatorAttribute, so that a later transfer can
// ask for the rest of the same file.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Pieces smaller than this are gathered into one write of this size; a
// larger piece (a fast network hands over ~100 KB at a time) goes to the disk
// straight from where it is, without being copied first.
inline constexpr std::size_t kPartFileBufferSize = 64 * 1024;

// Appended to a target's path to name its part file.
inline constexpr std::string_view kPartFileSuffix = ".part";

// Where what identifies a kept part file's body (for a transfer: its URL and
// the server's ETag or Last-Modified) is kept.
inline constexpr const char* kValidatorAttribute = "user.tunefetch.validator";

enum class PartFileOpen {
  Opened,
  Busy,    // another transfer holds the part file; nothing was changed
  Failed,  // it cannot be made or written
};

// Makes a write past the file-size limit (ulimit -f) fail with EFBIG, so the
// transfer reports a write error, instead of SIGXFSZ ending the process
// without a word. Every program that writes downloads calls it at its start.
void IgnoreFileSizeLimitSignal();

// True while another transfer holds the part file of `targetPath`.
bool IsPartFileBusy(const std::string& targetPath);

class CPartFile {
 public:
  // Writes are gathered in `buffer` (kPartFileBufferSize bytes serve best),
  // which must outlive the file.
  explicit CPartFile(std::span<char> buffer) : m_buffer(buffer) {}
  ~CPartFile();
  CPartFile(const CPartFile&) = delete;
  CPartFile& operator=(const CPartFile&) = delete;

  // Creates (or empties) "<targetPath>.part" for writing and takes its lock,
  // replacing whatever at that name is not a regular file of ours.
  PartFileOpen Open(const std::string& targetPath);
  // The same, but a part file left by an earlier transfer keeps its bytes up
  // to its last whole block of `resumeBlock` bytes (none when it has no
  // validator), for ResumeOffset; and the file is kept, not removed, unless
  // Commit or Discard (an empty one is removed).
  PartFileOpen OpenToResume(const std::string& targetPath, std::size_t resumeBlock);
  // Bytes kept from an earlier transfer; writes continue after them.
  std::int64_t ResumeOffset() const { return m_resumeOffset; }
  // What identifies those bytes, as Restart kept it (empty when none is kept).
  const std::string& Validator() const { return m_validator; }
  // Drops every byte kept, to take a body from its start, and keeps
  // `validator` (none when empty) with the file; false on failure.
  bool Restart(const std::string& validator);
  // The file is removed when the transfer ends, even after OpenToResume.
  void Discard() { m_keep = false; }
  // Appends `size` bytes; false on failure. Writes are buffered, so a failure
  // may also surface only in Flush.
  bool Write(const char* data, std::size_t size);
  // Stores what is still buffered; false when anything written could not be
  // stored. The file stays open and held.
  bool Flush();
  // After a successful Flush: renames the part file to the target path,
  // replacing what is there (a link there is replaced, not followed), then
  // lets it go; false on failure, also when the partial name no longer names
  // the file written.
  bool Commit();

 private:
  PartFileOpen OpenHeld(const std::string& targetPath, std::size_t resumeBlock);
  // Empties the held file, `size` bytes long, down to what may be resumed;
  // false on failure.
  bool KeepResumable(std::size_t resumeBlock, off_t size);
  // Removes the validator record, unless the file is known to carry none.
  void ForgetRecord();
  bool FlushBuffer();
  // True while the partial name still names the file this object opened.
  bool NamesOurFile() const;

  int m_fd = -1;
  bool m_failed = false;  // a write has failed; nothing more is tried
  const std::span<char> m_buffer;
  std::size_t m_buffered = 0;
  std::string m_targetPath;
  std::string m_partPath;  // empty until Open succeeded, and again after Commit
  // The file is held (m_fd open, its flock taken) until Commit or the
  // destructor: a part file is removed or renamed only while it is held.
  bool m_keep = false;  // kept, not removed, when neither committed nor discarded
  std::int64_t m_resumeOffset = 0;
  std::string m_validator;
  bool m_empty = false;           // the file holds no bytes, written or buffered
  bool m_recordMayExist = false;  // the file may carry a validator record
  dev_t m_device = 0;             // the opened file, to tell it from what may be put at its name
  ino_t m_inode = 0;
};
