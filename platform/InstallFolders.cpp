#include "platform/InstallFolders.h"

#include <sys/stat.h>

#include <mutex>

#include "platform/ProgramPath.h"
#include "platform/XdgFolders.h"

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

}  // namespace

bool IsSystemInstall() {
  static std::mutex mutex;
  static std::string lookedAt;  // the program folder the answer is for
  static bool marked = false;
  const std::string folder = GetProgramFolder();
  std::lock_guard lock(mutex);
  if (folder != lookedAt) {
    struct stat info {};
    marked =
        stat(ProgramFilePath(kSystemInstallMarker).c_str(), &info) == 0 && S_ISREG(info.st_mode);
    lookedAt = folder;
  }
  return marked;
}

std::string UserSettingsFilePath(std::string_view name) {
  if (IsSystemInstall()) return UserConfigFolder() + "/" + std::string(name);
  return ProgramFilePath(name);
}

std::vector<std::string> DataFolders() {
  if (IsSystemInstall()) return {UserDataFolder(), GetProgramFolder()};
  return {GetProgramFolder()};
}

std::string FindDataFile(std::string_view name) {
  if (!IsSystemInstall()) return ProgramFilePath(name);
  const std::string own = UserDataFolder() + "/" + std::string(name);
  return Exists(own) ? own : ProgramFilePath(name);
}
