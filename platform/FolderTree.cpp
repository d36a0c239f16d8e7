#include "platform/FolderTree.h"

#include <sys/stat.h>

#include <cerrno>

bool MakeFolderTree(const std::string& path) {
  if (path.empty()) return true;
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolderTree(path.substr(0, slash))) return false;
  return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}
