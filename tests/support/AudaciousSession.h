#pragma once
// A real Audacious for one test: a fresh home folder, a private session bus,
// and SDL's dummy audio driver, so it plays without a sound card and touches
// nothing of the user's. Every wait is bounded.

#include <sys/types.h>

#include <memory>
#include <string>

#include "bridge/SessionBus.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScratchFolder.h"

class AudaciousSession {
 public:
  // The command line that starts Audacious without a window.
  static constexpr const char* kStartCommand = "audacious -H";

  // Points HOME, the XDG folders and SDL_AUDIODRIVER at the scratch home for
  // this process and its children, and starts the bus; check Ready().
  AudaciousSession();
  // Quits Audacious (killing it after 5 s), stops the bus, restores the
  // environment.
  ~AudaciousSession();
  AudaciousSession(const AudaciousSession&) = delete;
  AudaciousSession& operator=(const AudaciousSession&) = delete;

  bool Ready() const { return m_bus != nullptr; }
  SessionBus& Bus() { return *m_bus; }
  const ScratchFolder& Home() const { return m_home; }

  bool IsRunning();
  // Starts Audacious itself and waits up to 15 s until it answers.
  bool Start();
  // Switches the running Audacious to the SDL output (driven by the dummy
  // driver), the one output that plays in real time without a sound card.
  bool UseSilentOutput();
  // True when the playing time moves on within 5 s: the sound really goes
  // out (an output that cannot open leaves "playing" standing still).
  bool PlaysOn();

  // What Audacious says: playlist length (-1 without an answer), the URI at
  // a position, "playing"/"paused"/"stopped", the current position.
  int Length();
  std::string SongUri(int position);
  std::string Status();
  int Position();
  bool AddUri(const std::string& uri);

  // Asks Audacious to quit and waits up to 5 s for its process to go, then
  // kills it. True when it was gone in time.
  bool Quit();

 private:
  std::string CallForString(const char* method, GVariant* parameters, const char* type);

  ScratchFolder m_home;
  ScopedEnvironment m_homeVariable{"HOME", m_home.Path()};
  ScopedEnvironment m_configVariable{"XDG_CONFIG_HOME", m_home / ".config"};
  ScopedEnvironment m_dataVariable{"XDG_DATA_HOME", m_home / ".local/share"};
  ScopedEnvironment m_cacheVariable{"XDG_CACHE_HOME", m_home / ".cache"};
  ScopedEnvironment m_audioVariable{"SDL_AUDIODRIVER", "dummy"};
  PrivateSessionBus m_daemon;
  std::unique_ptr<SessionBus> m_bus;
};

// The bytes of a WAV file of `seconds` of silence (8 kHz, 8 bits, mono).
std::string SilentWav(int seconds);
