#include "platform/bus/BusRegistry.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <optional>

#include "platform/DecimalText.h"
#include "platform/SmallFile.h"

namespace {

constexpr std::string_view kEntryHeader = "tunefetch-bus-window 1";
constexpr std::string_view kEntrySuffix = ".win";
constexpr std::size_t kMaxEntrySize = 4096;   // bytes; a valid entry is far smaller
constexpr std::size_t kMaxSequenceSize = 32;  // bytes; the largest id takes 20 digits

bool HasNoLineBytes(std::string_view text) {
  return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

std::optional<BusWindowInfo> ParseEntry(std::string_view text, BusWindowHandle handle) {
  if (text.size() > kMaxEntrySize) return std::nullopt;
  BusWindowInfo info;
  info.handle = handle;
  bool sawHeader = false, sawPid = false, sawClass = false, sawTitle = false, sawVisibility = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;  // every line ends with LF
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (!sawHeader) {
      if (line != kEntryHeader) return std::nullopt;
      sawHeader = true;
      continue;
    }
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    const std::string_view key = line.substr(0, blank), value = line.substr(blank + 1);
    if (key == "pid") {
      const auto pid = ParseCanonicalUnsigned<pid_t>(value);
      if (!pid || *pid <= 0) return std::nullopt;
      info.pid = *pid;
      sawPid = true;
    } else if (key == "visibility") {
      if (value != "shown" && value != "hidden") return std::nullopt;
      info.visibility = value == "shown" ? WindowVisibility::Shown : WindowVisibility::Hidden;
      sawVisibility = true;
    } else if (key == "class") {
      info.className = value;
      sawClass = true;
    } else if (key == "title") {
      info.title = value;
      sawTitle = true;
    }  // unknown keys are left for later versions
  }
  if (!sawPid || !sawVisibility || !sawClass || !sawTitle) return std::nullopt;
  if (!IsValidClassName(info.className) || !IsValidTitle(info.title)) return std::nullopt;
  return info;
}

// The entry of `handle`, or nothing when it is missing or malformed.
std::optional<BusWindowInfo> ReadWindowEntry(const std::string& folder, BusWindowHandle handle) {
  std::string text;
  ReadSmallFile(EntryPath(folder, handle), kMaxEntrySize, text);
  return ParseEntry(text, handle);
}

bool ProcessExists(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

// Every well-formed entry of the folder in creation order, whether or not its
// process still exists.
std::vector<BusWindowInfo> ReadWindowEntries(const std::string& folder) {
  std::vector<BusWindowHandle> handles;
  if (DIR* listing = opendir(folder.c_str())) {
    while (const dirent* item = readdir(listing)) {
      std::string_view name(item->d_name);
      if (!name.ends_with(kEntrySuffix)) continue;
      name.remove_suffix(kEntrySuffix.size());
      if (const auto id = ParseCanonicalUnsigned<std::uint64_t>(name); id && *id != 0)
        handles.push_back({*id});
    }
    closedir(listing);
  }
  std::sort(handles.begin(), handles.end());

  std::vector<BusWindowInfo> entries;
  for (BusWindowHandle handle : handles) {
    // One that vanished meanwhile, or a damaged one, is no window one can talk to.
    if (std::optional<BusWindowInfo> info = ReadWindowEntry(folder, handle))
      entries.push_back(std::move(*info));
  }
  return entries;
}

// `entries` without those whose process has gone; their files are removed.
std::vector<BusWindowInfo> KeepLiving(const std::string& folder,
                                      std::vector<BusWindowInfo> entries) {
  std::erase_if(entries, [&folder](const BusWindowInfo& info) {
    if (ProcessExists(info.pid)) return false;
    RemoveWindowEntry(folder, info.handle);
    return true;
  });
  return entries;
}

// The entries of the folder read last, under the stamp it had. A folder
// changed within the settle time before the reading is not kept: a change
// made so soon after may leave the folder with the same times.
class ListingCache {
 public:
  std::vector<BusWindowInfo> Entries(const std::string& folder, const FileStamp& stamp) {
    {
      std::lock_guard lock(m_mutex);
      if (m_folder == folder && m_stamp == stamp) return m_entries;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::vector<BusWindowInfo> entries = ReadWindowEntries(folder);
    if (IsSettled(stamp, now)) {
      std::lock_guard lock(m_mutex);
      m_folder = folder;
      m_stamp = stamp;
      m_entries = entries;
    }
    return entries;
  }

 private:
  std::mutex m_mutex;
  std::string m_folder;  // these three guarded by m_mutex
  FileStamp m_stamp;
  std::vector<BusWindowInfo> m_entries;
};

ListingCache& Listings() {
  static ListingCache cache;
  return cache;
}

}  // namespace

bool IsValidClassName(std::string_view className) {
  return !className.empty() && className.size() <= kMaxClassNameLength && HasNoLineBytes(className);
}

bool IsValidTitle(std::string_view title) {
  return title.size() <= kMaxTitleLength && HasNoLineBytes(title);
}

std::string EntryPath(const std::string& folder, BusWindowHandle handle) {
  return folder + "/" + std::to_string(handle.id) + std::string(kEntrySuffix);
}

std::string SocketPath(const std::string& folder, BusWindowHandle handle) {
  return folder + "/" + std::to_string(handle.id) + ".sock";
}

BusWindowHandle AllocateWindowHandle(const std::string& folder, BusError& error) {
  const std::string path = folder + "/sequence";
  BusWindowHandle next;
  bool exhausted = false;
  const auto update = [&](FileReadResult read, std::string& text) {
    // Something that is not a readable file (a pipe, a folder) must not block
    // every registration for ever: it counts as 0 and is replaced. The rename
    // of the replacement cannot go over a folder, so an empty one goes first.
    if (read == FileReadResult::Unreadable) rmdir(path.c_str());
    std::string_view current = text;
    while (!current.empty() && (current.back() == '\n' || current.back() == ' '))
      current.remove_suffix(1);
    // A missing or empty counter starts the sequence; a damaged or overlong
    // one too (ids already in the folder are checked below, so none is handed
    // out twice).
    std::uint64_t last = ParseUnsigned<std::uint64_t>(current).value_or(0);
    for (const BusWindowInfo& info : ListWindowEntries(folder))
      last = std::max(last, info.handle.id);
    if (last == UINT64_MAX) {
      exhausted = true;  // one more would wrap to 0, which is no id
      return FileChange::Keep;
    }
    next = BusWindowHandle{last + 1};
    text = std::to_string(next.id) + "\n";
    return FileChange::Replace;
  };
  const UpdateResult result = UpdateSmallFile(path, kMaxSequenceSize, update);
  error = exhausted                          ? BusError::NoIdsLeft
          : result == UpdateResult::Replaced ? BusError::None
                                             : BusError::IoError;
  return error == BusError::None ? next : BusWindowHandle{};
}

BusError WriteWindowEntry(const std::string& folder, const BusWindowInfo& info) {
  if (!IsValidClassName(info.className) || !IsValidTitle(info.title)) return BusError::BadArgument;
  std::string text(kEntryHeader);
  text += "\npid " + std::to_string(info.pid);
  text += info.visibility == WindowVisibility::Shown ? "\nvisibility shown" : "\nvisibility hidden";
  text += "\nclass " + info.className + "\ntitle " + info.title + "\n";

  return ReplaceFile(EntryPath(folder, info.handle), text) ? BusError::None : BusError::IoError;
}

std::vector<BusWindowInfo> ListWindowEntries(const std::string& folder) {
  return KeepLiving(folder, ReadWindowEntries(folder));
}

std::vector<BusWindowInfo> ListWindowEntries(const std::string& folder,
                                             const FileStamp& folderStamp) {
  return KeepLiving(folder, Listings().Entries(folder, folderStamp));
}

void RemoveWindowEntry(const std::string& folder, BusWindowHandle handle) {
  unlink(EntryPath(folder, handle).c_str());
  unlink(SocketPath(folder, handle).c_str());
}
