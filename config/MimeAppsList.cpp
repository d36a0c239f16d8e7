#include "config/MimeAppsList.h"

#include <vector>

#include "platform/ProfileFile.h"

namespace {

constexpr std::string_view kDefaults = "Default Applications";
constexpr std::string_view kAdded = "Added Associations";

std::vector<std::string> SplitEntries(std::string_view value) {
  std::vector<std::string> entries;
  while (!value.empty()) {
    const size_t end = value.find(';');
    if (end != 0) entries.emplace_back(value.substr(0, end));
    if (end == std::string_view::npos) break;
    value.remove_prefix(end + 1);
  }
  return entries;
}

std::string JoinEntries(const std::vector<std::string>& entries) {
  std::string value;
  for (const std::string& entry : entries) value += entry + ";";
  return value;
}

// The entries of `mimeType` in `section` without `desktopFile`.
std::vector<std::string> OthersIn(const std::string& path, std::string_view section,
                                  std::string_view mimeType, std::string_view desktopFile) {
  std::vector<std::string> entries = SplitEntries(ReadProfileString(path, section, mimeType, ""));
  std::erase(entries, std::string(desktopFile));
  return entries;
}

}  // namespace

bool SetDefaultApplication(const std::string& path, std::string_view mimeType,
                           std::string_view desktopFile) {
  std::vector<std::string> added = OthersIn(path, kAdded, mimeType, desktopFile);
  added.insert(added.begin(), std::string(desktopFile));
  return WriteProfileString(path, kDefaults, mimeType, std::string(desktopFile) + ";") &&
         WriteProfileString(path, kAdded, mimeType, JoinEntries(added));
}

void RemoveApplication(const std::string& path, std::string_view mimeType,
                       std::string_view desktopFile) {
  for (const std::string_view section : {kDefaults, kAdded}) {
    const std::string before = ReadProfileString(path, section, mimeType, "");
    if (before.empty()) continue;
    const std::vector<std::string> others = OthersIn(path, section, mimeType, desktopFile);
    if (others.empty())
      DeleteProfileKey(path, section, mimeType);
    else if (JoinEntries(others) != JoinEntries(SplitEntries(before)))
      WriteProfileString(path, section, mimeType, JoinEntries(others));
  }
}
