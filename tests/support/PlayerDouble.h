#pragma once
// Starts the player test double (tools/player_double) as a separate process
// for a test and stops it again. Every wait is bounded.

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/bus/BusRegistry.h"

struct PlayerDoubleOptions {
  std::string className = "Winamp v1.x";
  std::string title = "Winamp";
  WindowVisibility visibility = WindowVisibility::Shown;
  bool playing = false;
  std::string logPath;    // empty: no log
  int answerDelayMs = 0;  // how long each handler call lingers before answering
};

// Full path of the built test double.
std::string PlayerDoublePath();

// Waits up to `timeoutMs` for a bus window of process `pid`; a null handle if
// none appeared.
BusWindowHandle WaitForWindowOfProcess(pid_t pid, int timeoutMs);

class PlayerDouble {
 public:
  // Starts the double and waits up to 5 s for its window; check Window().
  explicit PlayerDouble(const PlayerDoubleOptions& options);
  ~PlayerDouble();
  PlayerDouble(const PlayerDouble&) = delete;
  PlayerDouble& operator=(const PlayerDouble&) = delete;

  BusWindowHandle Window() const { return m_window; }
  pid_t Pid() const { return m_pid; }

  // Asks it to close (WM_CLOSE) and waits up to 5 s, then kills it. True when
  // it ended by itself.
  bool Stop();

  // Kills it at once without letting it unregister, as a crash would.
  void Kill();

  // The lines of its log (see tools/player_double/main.cpp).
  std::vector<std::string> LogLines() const;

 private:
  std::string m_logPath;
  pid_t m_pid = 0;
  BusWindowHandle m_window;
};
