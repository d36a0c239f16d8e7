#include "bridge/BridgeOptions.h"

#include <charconv>

#include "platform/ProfileFile.h"

namespace {

bool SetPlayer(std::string_view text, BridgeOptions& options) {
  if (text == "audacious") {
    options.backend = BridgeBackend::Audacious;
    options.mprisPlayer.clear();
    return true;
  }
  if (text == "mpris" || text.starts_with("mpris:")) {
    options.backend = BridgeBackend::Mpris;
    options.mprisPlayer = text.size() > 6 ? std::string(text.substr(6)) : std::string();
    return true;
  }
  return false;
}

bool SetIdleExit(std::string_view text, BridgeOptions& options) {
  long seconds = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (failure != std::errc() || end != text.data() + text.size() || seconds < 0) return false;
  options.idleExit = std::chrono::seconds(seconds);
  return true;
}

}  // namespace

const char kBridgeUsage[] =
    "usage: tunefetch-bridge [--player audacious|mpris[:NAME]] [--command COMMAND] [--idle-exit "
    "SECONDS]\n"
    "       tunefetch-bridge --version\n"
    "Answers the player messages of Tunefetch's desktop bus by driving a real player.\n";

std::optional<BridgeOptions> ParseBridgeOptions(const std::string& settingsPath,
                                                const std::vector<std::string>& arguments,
                                                std::string& error) {
  BridgeOptions options;
  const std::string player = ReadProfileString(settingsPath, "BRIDGE", "PLAYER", "audacious");
  const std::string idle = ReadProfileString(settingsPath, "BRIDGE", "IDLE_EXIT", "60");
  options.command = ReadProfileString(settingsPath, "BRIDGE", "COMMAND", "");
  if (!SetPlayer(player, options))
    error = settingsPath + ": unknown PLAYER \"" + player + "\"";
  else if (!SetIdleExit(idle, options))
    error = settingsPath + ": IDLE_EXIT must be a number of seconds";
  if (!error.empty()) return std::nullopt;

  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (option == "--help" || option == "-h") {
      options.help = true;
    } else if (option == "--version") {
      options.version = true;
    } else if (option == "--player" && hasValue) {
      if (!SetPlayer(arguments[++i], options)) error = "unknown player \"" + arguments[i] + "\"";
    } else if (option == "--command" && hasValue) {
      options.command = arguments[++i];
    } else if (option == "--idle-exit" && hasValue) {
      if (!SetIdleExit(arguments[++i], options)) error = "--idle-exit wants a number of seconds";
    } else {
      error = "unknown option \"" + option + "\"";
    }
    if (!error.empty()) return std::nullopt;
  }
  if (options.command.empty())
    options.command =
        options.backend == BridgeBackend::Audacious ? "audacious" : options.mprisPlayer;
  return options;
}
