#include "platform/FileStamp.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// A settling file is looked at again at most this long after the first look.
constexpr std::int64_t kMaxSettleWaitNanoseconds = 1'000'000'000;

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::int64_t Nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

struct OwnReplacement {
  std::string path;
  FileStamp stamp;
};

// The last files this process put in place, newest last; a few suffice, as
// only the settings, language and skin files are looked at so.
constexpr std::size_t kMaxOwnReplacements = 16;
std::mutex g_ownMutex;
std::vector<OwnReplacement> g_ownReplacements;  // guarded by g_ownMutex

// The rename that put the file in place changed its status time, so that
// is left out.
bool IsOwnReplacement(const std::string& path, const FileStamp& stamp) {
  std::lock_guard lock(g_ownMutex);
  return std::any_of(g_ownReplacements.begin(), g_ownReplacements.end(),
                     [&](const OwnReplacement& own) {
                       return own.path == path && own.stamp.device == stamp.device &&
                              own.stamp.inode == stamp.inode && own.stamp.size == stamp.size &&
                              SameTime(own.stamp.modified, stamp.modified);
                     });
}

timespec Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
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

void NoteOwnReplacement(const std::string& path, const FileStamp& stamp) {
  std::lock_guard lock(g_ownMutex);
  std::erase_if(g_ownReplacements, [&](const OwnReplacement& own) { return own.path == path; });
  if (g_ownReplacements.size() >= kMaxOwnReplacements)
    g_ownReplacements.erase(g_ownReplacements.begin());
  g_ownReplacements.push_back({path, stamp});
}

std::optional<FileStamp> StampOnceSettled(const std::string& path, timespec& lookedAt) {
  const std::int64_t giveUpAt = Nanoseconds(Now()) + kMaxSettleWaitNanoseconds;
  for (;;) {
    const std::optional<FileStamp> stamp = StampOfFile(path);
    lookedAt = Now();
    if (!stamp || IsSettled(*stamp, lookedAt) || Nanoseconds(lookedAt) >= giveUpAt ||
        IsOwnReplacement(path, *stamp))
      return stamp;
    const std::int64_t settledAt = Nanoseconds(stamp->changed) + kSettleTimeNanoseconds + 1;
    std::this_thread::sleep_for(
        std::chrono::nanoseconds(std::min(settledAt, giveUpAt) - Nanoseconds(lookedAt)));
  }
}
