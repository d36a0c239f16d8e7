#include "platform/ProgramPath.h"

#include <mutex>

#include <unistd.h>

#include "platform/PathParts.h"

namespace {

std::mutex g_argument0Mutex;
std::string g_argument0;  // guarded by g_argument0Mutex

}  // namespace

void SetProgramArgument0(std::string_view argument0) {
  std::lock_guard lock(g_argument0Mutex);
  g_argument0 = argument0;
}

std::string GetProgramArgument0() {
  {
    std::lock_guard lock(g_argument0Mutex);
    if (!g_argument0.empty()) return g_argument0;
  }
  return GetExecutablePath();
}

std::string GetExecutablePath() {
  char buffer[4096];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

std::string GetProgramFolder() {
  std::string folder = GetDirectoryPart(GetProgramArgument0());
  if (folder.empty()) folder = GetDirectoryPart(GetExecutablePath());
  return folder;
}

std::string ProgramFilePath(std::string_view name) { return GetProgramFolder() + "/" + std::string(name); }
