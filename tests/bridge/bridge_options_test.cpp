// What the bridge drives: its settings file, overridden by its command line.

#include <gtest/gtest.h>

#include <filesystem>

#include "bridge/BridgeOptions.h"
#include "tests/support/ScratchFolder.h"

TEST(BridgeOptions, SettingsFileThenCommandLine) {
  ScratchFolder folder;
  const std::string settings = folder / "tunefetch-bridge.ini";
  struct Case {
    const char* what;
    std::string ini;  // empty: no settings file
    std::vector<std::string> arguments;
    bool valid;
    BridgeBackend backend;
    std::string mprisPlayer;
    std::string command;
    long idleExit;
  };
  const Case cases[] = {
      {"defaults", "", {}, true, BridgeBackend::Audacious, "", "audacious", 60},
      {"file",
       "[bridge]\nplayer=mpris:vlc\nIDLE_EXIT=5\n",
       {},
       true,
       BridgeBackend::Mpris,
       "vlc",
       "vlc",
       5},
      {"file command",
       "[BRIDGE]\nCOMMAND=\"audacious -H\"\n",
       {},
       true,
       BridgeBackend::Audacious,
       "",
       "audacious -H",
       60},
      {"options win",
       "[BRIDGE]\nPLAYER=mpris\nCOMMAND=x\nIDLE_EXIT=5\n",
       {"--player", "audacious", "--command", "audacious -H", "--idle-exit", "0"},
       true,
       BridgeBackend::Audacious,
       "",
       "audacious -H",
       0},
      {"first MPRIS player, nothing to start",
       "",
       {"--player", "mpris"},
       true,
       BridgeBackend::Mpris,
       "",
       "",
       60},
      {"unknown player in the file", "[BRIDGE]\nPLAYER=no-such-player\n", {}, false, {}, "", "", 0},
      {"bad idle time in the file", "[BRIDGE]\nIDLE_EXIT=soon\n", {}, false, {}, "", "", 0},
      {"unknown option", "", {"--loud"}, false, {}, "", "", 0},
      {"option without its value", "", {"--command"}, false, {}, "", "", 0},
      {"negative idle time", "", {"--idle-exit", "-1"}, false, {}, "", "", 0},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(settings);
    if (!c.ini.empty()) WriteFileText(settings, c.ini);
    std::string error;
    const std::optional<BridgeOptions> options = ParseBridgeOptions(settings, c.arguments, error);
    ASSERT_EQ(options.has_value(), c.valid) << c.what;
    if (!options) {
      EXPECT_FALSE(error.empty()) << c.what;
      continue;
    }
    EXPECT_EQ(options->backend, c.backend) << c.what;
    EXPECT_EQ(options->mprisPlayer, c.mprisPlayer) << c.what;
    EXPECT_EQ(options->command, c.command) << c.what;
    EXPECT_EQ(options->idleExit.count(), c.idleExit) << c.what;
  }
}
