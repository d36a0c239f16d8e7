#pragma once
// The window entries of the bus folder. A findable window is the socket
// "<id>.sock" its process listens on plus the entry "<id>.win" that describes
// it, so a finder can read class and title without connecting. Ids come from
// the counter file "sequence" and grow with creation order.

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/FileStamp.h"
#include "platform/bus/BusTypes.h"

enum class WindowVisibility { Hidden, Shown };

inline constexpr std::size_t kMaxClassNameLength = 255;  // bytes
inline constexpr std::size_t kMaxTitleLength = 1023;     // bytes

struct BusWindowInfo {
  BusWindowHandle handle;
  pid_t pid = 0;
  WindowVisibility visibility = WindowVisibility::Shown;
  std::string className;
  std::string title;
};

// A class name is 1 to 255 bytes, a title 0 to 1023 bytes; neither may hold a
// NUL, CR or LF byte (the entry is line-based).
bool IsValidClassName(std::string_view className);
bool IsValidTitle(std::string_view title);

std::string EntryPath(const std::string& folder, BusWindowHandle handle);
std::string SocketPath(const std::string& folder, BusWindowHandle handle);

// Takes the next id from the folder's counter. A handle of 0 with `error` set
// when the counter cannot be written (IoError) or has reached the largest id
// (NoIdsLeft: ids are never reused, so a new bus folder is needed). A counter
// that cannot be read (damaged, or not a regular file) counts as 0 and is
// replaced.
BusWindowHandle AllocateWindowHandle(const std::string& folder, BusError& error);

// Publishes or replaces the entry in one step (temporary file and rename), so
// a finder sees the old or the new entry, never half of one.
BusError WriteWindowEntry(const std::string& folder, const BusWindowInfo& info);

// Every entry in creation order, hidden windows included. An entry whose
// process no longer exists is removed on the way and not listed.
std::vector<BusWindowInfo> ListWindowEntries(const std::string& folder);

// The same for a folder whose stamp the caller has just taken: the entries
// read at an earlier call under the same stamp are used again instead of
// reading the folder (every entry comes, changes and goes by a change of the
// folder itself). Whether each entry's process still exists is looked at
// every time.
std::vector<BusWindowInfo> ListWindowEntries(const std::string& folder,
                                             const FileStamp& folderStamp);

// Removes the entry and the socket file of `handle`; missing files are fine.
void RemoveWindowEntry(const std::string& folder, BusWindowHandle handle);
