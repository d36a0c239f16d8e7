#include "platform/ExecutableFile.h"

#include <sys/stat.h>
#include <unistd.h>

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}
