#include "bridge/PlayerMessages.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "bridge/FileUri.h"
#include "platform/bus/PlayerProtocol.h"

namespace {

enum class Command { None, Query, Play, Stop, Clear, AddFile };

Command CommandOf(const BusMessage& message) {
  if (message.message == WM_USER && message.wParam == 0) {
    if (message.lParam == kPlayerQueryPlaying) return Command::Query;
    if (message.lParam == kPlayerStartPlayback) return Command::Play;
    if (message.lParam == kPlayerClearPlaylist) return Command::Clear;
  }
  if (message.message == WM_COMMAND && message.wParam == kPlayerStopCommand) return Command::Stop;
  if (message.message == WM_COPYDATA && message.dataKind == kPlayerAddFileKind)
    return Command::AddFile;
  return Command::None;
}

PlayerAnswer Answered(const PlayerOutcome& outcome) {
  return {outcome.Done() ? 1 : 0, outcome.failure};
}

// The record is the path followed by one NUL byte; the path ends at the first NUL.
std::string PathOfRecord(const std::string& data) { return data.substr(0, data.find('\0')); }

PlayerOutcome AddFile(PlayerBackend& player, const std::string& path) {
  const std::optional<std::string> uri = FileUriFromPath(path);
  if (!uri) return PlayerOutcome::Failed("cannot add \"" + path + "\": not an absolute path");
  struct stat status {};
  if (stat(path.c_str(), &status) != 0)
    return PlayerOutcome::Failed("cannot add \"" + path + "\": " + std::strerror(errno));
  if (!S_ISREG(status.st_mode))
    return PlayerOutcome::Failed("cannot add \"" + path + "\": not a regular file");
  return player.Append(*uri);
}

PlayerOutcome RequireRunning(PlayerBackend& player) {
  return player.IsRunning() ? PlayerOutcome{}
                            : PlayerOutcome::Failed(player.Name() + " is not running");
}

}  // namespace

PlayerAnswer AnswerPlayerMessage(PlayerBackend& player, const BusMessage& message) {
  const Command command = CommandOf(message);
  switch (command) {
    case Command::None:
      return {};
    case Command::Query:
      return {player.IsRunning() ? static_cast<std::int64_t>(player.State()) : 0, {}};
    case Command::Stop:
    case Command::Clear: {
      if (PlayerOutcome running = player.EnsureRunning(); !running.Done()) return Answered(running);
      return Answered(command == Command::Stop ? player.Stop() : player.Clear());
    }
    case Command::Play:
    case Command::AddFile: {
      if (PlayerOutcome running = RequireRunning(player); !running.Done()) return Answered(running);
      return Answered(command == Command::Play ? player.Play()
                                               : AddFile(player, PathOfRecord(message.data)));
    }
  }
  return {};
}
