#include "platform/bus/BusFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/FolderTree.h"

namespace {

// A program of ours never changes its user, so one look serves every call.
uid_t EffectiveUserId() {
  static const uid_t user = geteuid();
  return user;
}

std::string ChooseFolderPath() {
  const char* bus = std::getenv("TUNEFETCH_BUS");
  if (bus && *bus) return bus;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/tunefetch-bus";
  return "/tmp/tunefetch-bus-" + std::to_string(EffectiveUserId());
}

}  // namespace

BusFolderResult OpenBusFolder() {
  std::string path = ChooseFolderPath();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  // The folder is nearly always there already: one look, and the walk that
  // makes it and its parents only when it is missing.
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 &&
      (!MakeFolderTree(path) || lstat(path.c_str(), &info) != 0)) {
    return {BusError::NoFolder, {}, {}};
  }
  if (!S_ISDIR(info.st_mode) || info.st_uid != EffectiveUserId())
    return {BusError::NoFolder, {}, {}};
  if ((info.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0)
    return {BusError::NoFolder, {}, {}};
  return {BusError::None, path, StampOfStatus(info)};
}
