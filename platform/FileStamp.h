#pragma once
// What tells one version of a file from another without reading it: the
// device and inode (every replacement through a rename brings a new inode),
// the size, and the times of the last change of content and of status.

#include <sys/stat.h>

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  timespec modified{};
  timespec changed{};

  bool operator==(const FileStamp& other) const;
};

// The stamp of the file at `path` as it is now; none when it cannot be
// looked at.
std::optional<FileStamp> StampOfFile(const std::string& path);

// The stamp in a status a caller has already taken (stat, lstat, fstat).
FileStamp StampOfStatus(const struct stat& info);

// True when what was read under `stamp` at time `readAt` may be trusted for
// as long as the stamp stays the same. A file changed within the last
// kSettleTime before the read may be changed again so soon that the file
// system gives the change the same times (they are taken from a clock that
// advances in steps of several milliseconds), and with the same size that
// change would go unseen.
bool IsSettled(const FileStamp& stamp, const timespec& readAt);
inline constexpr std::int64_t kSettleTimeNanoseconds = 100'000'000;

// Notes that this process has just put the file with `stamp` at `path` in
// place whole, by renaming a file it wrote: that file needs no settling.
void NoteOwnReplacement(const std::string& path, const FileStamp& stamp);

// The stamp of the file at `path` once it may be read whole. A file changed
// within the settle time by another program may be half written - some
// rewrite a file in place, truncating it first - so this waits until it has
// been left alone for the settle time, at most about a second (a file changed
// all the time is then taken as it is). A file this process put in place
// itself (NoteOwnReplacement) is taken at once. `lookedAt` is set to the time
// of the last look. None when the file cannot be looked at.
std::optional<FileStamp> StampOnceSettled(const std::string& path, timespec& lookedAt);
