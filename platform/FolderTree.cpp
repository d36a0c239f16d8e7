#include "platform/FolderTree.h"

#include <sys/stat.h>

#include <cerrno>

bool MakeFolderTree(const std::string& path) {
  if (path.empty()) return true;
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolderTree(path.substr(0, slash)))
    return false;
  return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

void CreateDirectoryTree(std::string_view path) {
  if (path.empty()) return;
  size_t start = 0;
  if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) {
    start = 3;
  } else if (path[0] == '\\' || path[0] == '/') {
    start = 1;
  }
  const std::string whole(path);
  // Most items of a list share their folder: when it is already there, one
  // look replaces a mkdir for each of its parents. (A name holding a
  // backslash is split there, so it must take the walk.)
  struct stat info {};
  if (whole.find('\\') == std::string::npos && stat(whole.c_str(), &info) == 0 &&
      S_ISDIR(info.st_mode))
    return;
  // A folder name is at least one character long, so the scan starts one on.
  for (size_t at = whole.find_first_of("/\\", start + 1); at != std::string::npos;
       at = whole.find_first_of("/\\", at + 2)) {
    mkdir(whole.substr(0, at).c_str(), 0777);
    if (at + 1 == whole.size()) return;
  }
  mkdir(whole.c_str(), 0777);
}
