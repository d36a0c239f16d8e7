#include "platform/PathParts.h"

#include <cctype>

namespace {

// Position of the last separator or drive colon, or npos. A colon counts only
// as the second character after a letter ("C:"); elsewhere it is an ordinary
// character of a Linux file name.
size_t LastSplitPoint(std::string_view path) {
  size_t slash = path.find_last_of("\\/");
  if (slash != std::string_view::npos) return slash;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
    return 1;
  return std::string_view::npos;
}

std::string Capped(std::string_view text) {
  return std::string(text.substr(0, kMaxPathLength));
}

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
