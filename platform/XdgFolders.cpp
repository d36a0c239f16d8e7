#include "platform/XdgFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace {

std::string FolderFromEnvironment(const char* variable, const char* belowHome) {
  const char* value = std::getenv(variable);
  if (value && *value) return value;
  return HomeFolder() + belowHome;
}

}  // namespace

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  const passwd* user = getpwuid(getuid());
  return user && user->pw_dir ? user->pw_dir : "";
}

std::string XdgConfigHome() { return FolderFromEnvironment("XDG_CONFIG_HOME", "/.config"); }

std::string XdgDataHome() { return FolderFromEnvironment("XDG_DATA_HOME", "/.local/share"); }

std::string UserConfigFolder() { return XdgConfigHome() + "/tunefetch"; }

std::string UserDataFolder() { return XdgDataHome() + "/tunefetch"; }
