#pragma once
// What the bridge drives and how: from its own settings file
// (tunefetch-bridge.ini in the program folder, or in the user's configuration
// folder on a system install; section [BRIDGE]) and its
// command line, which wins. The program starts the bridge without arguments,
// so the settings file is where a user chooses the player.
//
//   tunefetch-bridge [--player audacious|mpris[:NAME]] [--command COMMAND]
//                    [--idle-exit SECONDS] | --version
//   [BRIDGE] PLAYER=...  COMMAND=...  IDLE_EXIT=...

#include <chrono>
#include <optional>
#include <string>
#include <vector>

enum class BridgeBackend { Audacious, Mpris };

struct BridgeOptions {
  BridgeBackend backend = BridgeBackend::Audacious;
  std::string mprisPlayer;  // after "org.mpris.MediaPlayer2."; empty: the first one on the bus
  // Starts the player when missing; split as a shell would. Defaults to
  // "audacious", or to the MPRIS player's name.
  std::string command;
  // The bridge ends once its player has gone and no message came for this long.
  std::chrono::seconds idleExit{60};
  bool help = false;
  bool version = false;  // --version: print the version and end
};

// The options from the settings file at `settingsPath` (a missing file gives
// the defaults) and `arguments` (without argument zero), or nullopt with the
// reason in `error`.
std::optional<BridgeOptions> ParseBridgeOptions(const std::string& settingsPath,
                                                const std::vector<std::string>& arguments,
                                                std::string& error);

extern const char kBridgeUsage[];
