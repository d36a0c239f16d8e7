#include "platform/ProgramPath.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/ExecutableFile.h"

namespace {

std::mutex g_pathMutex;
std::string g_argument0Path;  // argument zero resolved at start-up; guarded by g_pathMutex
std::string g_programPath;    // set by SetProgramPath; guarded by g_pathMutex

std::string ReadProcSelfExe() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

// Read once: after the executable is replaced on disk (an update while the
// program runs) the link names the old, deleted file.
const std::string& ProcSelfExe() {
  static const std::string path = ReadProcSelfExe();
  return path;
}

std::string WorkingFolder() {
  std::unique_ptr<char, decltype(&std::free)> folder(getcwd(nullptr, 0), &std::free);
  return folder ? std::string(folder.get()) : std::string();
}

std::string Against(std::string_view folder, std::string_view path) {
  if (path.starts_with('/')) return std::string(path);
  return std::string(folder) + "/" + std::string(path);
}

}  // namespace

std::string ResolveArgument0(std::string_view argument0, std::string_view workingFolder,
                             std::string_view searchPath) {
  if (argument0.empty()) return {};
  std::string candidate;
  if (argument0.find('/') != std::string_view::npos) {
    candidate = Against(workingFolder, argument0);
  } else {
    for (size_t start = 0; start <= searchPath.size();) {
      size_t end = searchPath.find(':', start);
      if (end == std::string_view::npos) end = searchPath.size();
      const std::string_view entry = searchPath.substr(start, end - start);
      std::string path = Against(workingFolder, entry.empty() ? std::string_view(".") : entry) +
                         "/" + std::string(argument0);
      if (IsExecutableFile(path)) {
        candidate = std::move(path);
        break;
      }
      start = end + 1;
    }
  }
  if (candidate.empty() || !IsExecutableFile(candidate)) return {};
  std::unique_ptr<char, decltype(&std::free)> real(realpath(candidate.c_str(), nullptr),
                                                   &std::free);
  return real ? std::string(real.get()) : std::string();
}

void SetProgramArgument0(std::string_view argument0) {
  ProcSelfExe();  // read at start-up, while it still names the file
  const char* searchPath = std::getenv("PATH");
  std::string resolved = ResolveArgument0(argument0, WorkingFolder(), searchPath ? searchPath : "");
  std::lock_guard lock(g_pathMutex);
  g_argument0Path = std::move(resolved);
}

void SetProgramPath(std::string_view path) {
  std::lock_guard lock(g_pathMutex);
  g_programPath = path;
}

std::string GetExecutablePath() {
  if (!ProcSelfExe().empty()) return ProcSelfExe();
  std::lock_guard lock(g_pathMutex);
  return g_argument0Path;
}

std::string GetProgramPath() {
  {
    std::lock_guard lock(g_pathMutex);
    if (!g_programPath.empty()) return g_programPath;
  }
  return GetExecutablePath();
}

// Split the native way: the path comes from the system, so a "\\" or ":" in
// it is part of a name.
std::string GetProgramFolder() {
  const std::string path = GetProgramPath();
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string ProgramFilePath(std::string_view name) {
  const std::string folder = GetProgramFolder();
  return folder.empty() ? std::string(name) : folder + "/" + std::string(name);
}
