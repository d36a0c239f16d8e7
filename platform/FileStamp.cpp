#include "platform/FileStamp.h"

#include <sys/stat.h>

namespace {

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::int64_t Nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

}  // namespace

FileStamp StampOfStatus(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
          static_cast<std::int64_t>(info.st_size), info.st_mtim, info.st_ctim};
}

bool FileStamp::operator==(const FileStamp& other) const {
  return device == other.device && inode == other.inode && size == other.size &&
         SameTime(modified, other.modified) && SameTime(changed, other.changed);
}

std::optional<FileStamp> StampOfFile(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return StampOfStatus(info);
}

bool IsSettled(const FileStamp& stamp, const timespec& readAt) {
  // The change time is never older than the modification time; a clock set
  // back makes the file look fresh, which only costs a read.
  return Nanoseconds(readAt) - Nanoseconds(stamp.changed) > kSettleTimeNanoseconds;
}
