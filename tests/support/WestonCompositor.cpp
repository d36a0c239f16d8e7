#include "tests/support/WestonCompositor.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "tests/support/ChildProcess.h"

namespace {

using namespace std::chrono_literals;

// The full path of `program` on the PATH, or empty text.
std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= folders.size();) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string candidate = folders.substr(start, end - start) + "/" + program;
    if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

std::string RuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime && *runtime ? runtime : "/tmp";
}

}  // namespace

bool WestonCompositor::IsInstalled() { return !FindOnPath("weston").empty(); }

WestonCompositor::WestonCompositor() {
  const std::string weston = FindOnPath("weston");
  if (weston.empty()) return;
  const std::string socket = "tf-weston-" + std::to_string(getpid());
  std::filesystem::remove(RuntimeFolder() + "/" + socket);
  m_pid = StartProgram(weston,
                       {"--backend=headless-backend.so", "--use-pixman", "--socket=" + socket,
                        "--idle-time=0", "--debug", "--no-config"},
                       m_folder / "weston.log");
  m_bRunning =
      WaitUntil([&] { return std::filesystem::exists(RuntimeFolder() + "/" + socket); }, 10s);
  m_display = std::make_unique<ScopedEnvironment>("WAYLAND_DISPLAY", socket);
  m_backend = std::make_unique<ScopedEnvironment>("GDK_BACKEND", "wayland");
  m_noX11 = std::make_unique<ScopedEnvironment>("DISPLAY", "");
}

WestonCompositor::~WestonCompositor() {
  m_noX11.reset();
  m_backend.reset();
  m_display.reset();
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    WaitForChildExit(m_pid, 10s);
  }
}

std::string WestonCompositor::Log() const { return ReadFileText(m_folder / "weston.log"); }

bool WestonCompositor::Screenshot(const std::string& pngPath) const {
  const std::string shooter = FindOnPath("weston-screenshooter");
  if (!m_bRunning || shooter.empty()) return false;
  const std::string shots = m_folder / "shots";
  std::filesystem::remove_all(shots);
  std::filesystem::create_directories(shots);
  // It writes wayland-screenshot-<time>.png into its working folder.
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(shots.c_str()) != 0) _exit(126);
    execl(shooter.c_str(), "weston-screenshooter", static_cast<char*>(nullptr));
    _exit(127);
  }
  if (WaitForChildExit(pid, 10s) != 0) return false;
  for (const auto& entry : std::filesystem::directory_iterator(shots)) {
    std::filesystem::copy_file(entry.path(), pngPath,
                               std::filesystem::copy_options::overwrite_existing);
    return true;
  }
  return false;
}
