#pragma once
// Small files the program keeps its state in (settings, key store, bus
// entries, atom table): read whole with a size cap, and written so that no
// reader ever sees half of one and no writer loses another's change — take the
// folder lock, read, change, then replace the file through a temporary file
// and a rename.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

enum class FileReadResult { Read, Missing, Unreadable, TooLarge };

// Reads the whole file at `path` into `content` (cleared first). Only regular
// files are read, and the file is opened without blocking, so a pipe or device
// given a file's name cannot hang the caller (it is Unreadable). A file longer
// than `maxBytes` is TooLarge and `content` is then empty.
FileReadResult ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& content);

// Writes all of `bytes` to `fd`, retrying after interruptions.
bool WriteAll(int fd, std::string_view bytes);

// Holds an exclusive lock on a folder for as long as it lives. flock locks
// belong to the open file description, so threads exclude each other as
// surely as processes do.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // False when the folder could not be opened or locked.
  bool Held() const { return m_fd >= 0; }

 private:
  int m_fd;
};

// Replaces the file at `path` with `content`: writes a temporary file beside
// it, flushes it to disk and renames it over the old one. The file has mode
// 0600 afterwards, whatever mode it had. On failure the old file is left whole
// and the temporary file is removed. The new file is noted as this process's
// own (NoteOwnReplacement), so it is read without settling.
bool ReplaceFile(const std::string& path, std::string_view content);

enum class FileChange { Keep, Replace };
enum class UpdateResult { Replaced, Kept, Failed };

// When the file is read: at once, or once it has settled (StampOnceSettled in
// platform/FileStamp.h), for a file that other programs may rewrite in place.
enum class ReadWhen { AtOnce, Settled };

// The whole "lock, read, change, replace" step: holds the lock on the folder
// of `path` (as GetDirectoryPart names it; "." for none), reads the file as
// ReadSmallFile does and hands the outcome and the text to `change`, which
// may edit the text. When it answers Replace, the edited text replaces the
// file. Failed when the folder cannot be locked or the file not replaced;
// Kept when `change` answered Keep.
UpdateResult UpdateSmallFile(
    const std::string& path, std::size_t maxBytes,
    const std::function<FileChange(FileReadResult read, std::string& text)>& change,
    ReadWhen when = ReadWhen::AtOnce);
