#include "config/LanguageList.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include "config/MessageCatalog.h"
#include "platform/CaseInsensitive.h"

namespace {

constexpr std::string_view kBuiltInLanguage = "English";

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void AddLanguageFileTitles(const std::string& folder, std::vector<std::string>& titles) {
  DIR* directory = opendir(folder.c_str());
  if (!directory) return;
  while (dirent* entry = readdir(directory)) {
    std::string_view name = entry->d_name;
    if (name.starts_with('.') || !name.ends_with(kLanguageFileExtension) ||
        name.size() == kLanguageFileExtension.size())
      continue;
    if (!IsRegularFile(folder + "/" + std::string(name))) continue;
    titles.emplace_back(name.substr(0, name.size() - kLanguageFileExtension.size()));
  }
  closedir(directory);
}

std::vector<std::string> LanguageFileTitles(const std::vector<std::string>& folders) {
  std::vector<std::string> titles;
  for (const std::string& folder : folders) AddLanguageFileTitles(folder, titles);
  // Directory order is arbitrary: sort in list order first, so the cut keeps
  // the same files every time. A file in an earlier folder hides the one of
  // the same name in a later folder, as the message catalogue reads it.
  std::sort(titles.begin(), titles.end(), [](const std::string& a, const std::string& b) {
    return LessIgnoringCase(a, b) || (!LessIgnoringCase(b, a) && a < b);
  });
  titles.erase(std::unique(titles.begin(), titles.end()), titles.end());
  if (titles.size() > kMaxLanguageFiles) titles.resize(kMaxLanguageFiles);
  return titles;
}

std::optional<size_t> FindFromSecond(const std::vector<std::string>& items,
                                     std::string_view prefix) {
  for (size_t step = 1; step <= items.size(); ++step) {
    size_t index = step % items.size();
    if (StartsWithIgnoringCase(items[index], prefix)) return index;
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> BuildLanguageList(const std::vector<std::string>& folders) {
  std::vector<std::string> items{std::string(kBuiltInLanguage)};
  for (std::string& title : LanguageFileTitles(folders)) items.push_back(std::move(title));
  std::stable_sort(items.begin(), items.end(), LessIgnoringCase);
  return items;
}

size_t FindLanguageIndex(const std::vector<std::string>& items, std::string_view language) {
  if (std::optional<size_t> index = FindFromSecond(items, language)) return *index;
  return FindFromSecond(items, kBuiltInLanguage).value_or(0);
}
