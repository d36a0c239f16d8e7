#include "skin/SkinFilePath.h"

#include <filesystem>

#include "platform/CaseInsensitive.h"

namespace {

// The entry of `folder` whose name equals `part` without regard to case, or
// `part` itself when there is none.
std::string MatchPart(const std::filesystem::path& folder, const std::string& part) {
  std::error_code error;
  if (std::filesystem::exists(folder / part, error)) return part;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::string name = it->path().filename().string();
    if (EqualsIgnoringCase(name, part)) return name;
  }
  return part;
}

}  // namespace

std::string FindSkinFile(const std::string& folder, std::string_view relative) {
  std::filesystem::path path = folder;
  std::string part;
  for (std::size_t i = 0; i <= relative.size(); ++i) {
    const bool end = i == relative.size();
    if (!end && relative[i] != '\\' && relative[i] != '/') {
      part += relative[i];
      continue;
    }
    if (!part.empty()) path /= MatchPart(path, part);
    part.clear();
  }
  return path.string();
}
