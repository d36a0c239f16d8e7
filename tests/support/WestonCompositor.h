#pragma once
// A real Wayland compositor for a test: Debian's weston on its headless
// backend (pixman drawing, no idle blanking, --debug for screenshots), on a
// socket of its own in $XDG_RUNTIME_DIR. Started by the constructor and
// stopped by the destructor; every wait is bounded. While it lives, programs
// the test starts run as its Wayland clients (WAYLAND_DISPLAY, GDK_BACKEND=
// wayland, no DISPLAY). A test that needs it skips when IsRunning() is false.

#include <sys/types.h>

#include <memory>
#include <string>

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScratchFolder.h"

class WestonCompositor {
 public:
  WestonCompositor();
  ~WestonCompositor();
  WestonCompositor(const WestonCompositor&) = delete;
  WestonCompositor& operator=(const WestonCompositor&) = delete;

  // Whether weston is installed.
  static bool IsInstalled();
  // Whether it started and listens on its socket (within 10 s).
  bool IsRunning() const { return m_bRunning; }
  // What it printed (its log), for a failed test's message.
  std::string Log() const;

  // Saves the whole output as a PNG at `pngPath` with weston-screenshooter;
  // false when no picture came within 10 s.
  bool Screenshot(const std::string& pngPath) const;

 private:
  ScratchFolder m_folder;  // its log and screenshots
  pid_t m_pid = 0;
  bool m_bRunning = false;
  std::unique_ptr<ScopedEnvironment> m_display, m_backend, m_noX11;
};
