#include "platform/PathParts.h"

#include <cctype>
#include <vector>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsDrivePrefix(std::string_view text) {
  return text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]));
}

// Position of the last separator or drive colon, or npos. A colon counts only
// as the second character after a letter ("C:"); elsewhere it is an ordinary
// character of a Linux file name.
size_t LastSplitPoint(std::string_view path) {
  size_t slash = path.find_last_of("\\/");
  if (slash != std::string_view::npos) return slash;
  if (IsDrivePrefix(path)) return 1;
  return std::string_view::npos;
}

std::string Capped(std::string_view text) { return std::string(text.substr(0, kMaxPathLength)); }

}  // namespace

std::string GetFileNamePart(std::string_view path) {
  size_t split = LastSplitPoint(path);
  if (split == std::string_view::npos) return Capped(path);
  return Capped(path.substr(split + 1));
}

std::string GetDirectoryPart(std::string_view path) {
  size_t split = LastSplitPoint(path);
  if (split == std::string_view::npos) return {};
  return Capped(path.substr(0, split));
}

std::string JoinPath(std::string_view folder, std::string_view relative) {
  if (folder.empty()) return Capped(relative);
  if (relative.empty()) return Capped(folder);
  const bool folderEnds = IsSeparator(folder.back());
  const bool relativeStarts = IsSeparator(relative.front());
  std::string joined(folder);
  if (folderEnds && relativeStarts) {
    joined += relative.substr(1);
  } else {
    if (!folderEnds && !relativeStarts) joined += '/';
    joined += relative;
  }
  return Capped(joined);
}

std::string SlashesToBackslashes(std::string_view path) {
  std::string native(path);
  for (char& c : native)
    if (c == '\\') c = '/';
  return native;
}

std::string ConfineRelativePath(std::string_view path) {
  if (IsDrivePrefix(path)) path.remove_prefix(2);
  std::string confined;
  while (!path.empty()) {
    size_t end = 0;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::string_view part = path.substr(0, end);
    path.remove_prefix(end < path.size() ? end + 1 : end);
    if (part.empty() || part == "." || part == "..") continue;
    if (!confined.empty()) confined += '/';
    confined += part;
  }
  return confined;
}
