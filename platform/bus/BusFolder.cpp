#include "platform/bus/BusFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/FolderTree.h"

namespace {

std::string ChooseFolderPath() {
  const char* bus = std::getenv("TUNEFETCH_BUS");
  if (bus && *bus) return bus;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/tunefetch-bus";
  return "/tmp/tunefetch-bus-" + std::to_string(geteuid());
}

}  // namespace

BusFolderResult OpenBusFolder() {
  std::string path = ChooseFolderPath();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (!MakeFolderTree(path)) return {BusError::NoFolder, {}};

  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {BusError::NoFolder, {}};
  if (info.st_uid != geteuid()) return {BusError::NoFolder, {}};
  if ((info.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) return {BusError::NoFolder, {}};
  return {BusError::None, path};
}
