#pragma once
// Writing a small file so that no reader ever sees half of it and no writer
// loses another's change: take the folder lock, read, change, then replace
// the file through a temporary file and a rename.

#include <string>
#include <string_view>

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
// it, flushes it to disk and renames it over the old one. A new file gets mode
// 0600, an existing one keeps its mode. On failure the old file is left whole
// and the temporary file is removed.
bool ReplaceFile(const std::string& path, std::string_view content);
