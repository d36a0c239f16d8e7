#include "core/PlayerControl.h"

#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>

#include "config/Settings.h"
#include "platform/ProcessLauncher.h"
#include "platform/ProgramPath.h"
#include "platform/bus/DesktopBus.h"
#include "platform/bus/PlayerProtocol.h"

namespace {

// How long a freshly started player gets to show its window; one that comes
// later counts as not started.
constexpr auto kPlayerStartWait = std::chrono::milliseconds(1000);

// A bare name is taken from the program folder when a file of that name is
// there, so the bridge shipped beside the program is found whether the program
// runs from the build or from an install; otherwise the launcher looks on PATH.
std::string PlayerProgram(const std::string& setting) {
  if (setting.empty() || setting.find('/') != std::string::npos) return setting;
  const std::string beside = ProgramFilePath(setting);
  struct stat status {};
  return stat(beside.c_str(), &status) == 0 && S_ISREG(status.st_mode) ? beside : setting;
}

bool IsPlaying(BusWindowHandle player) {
  const BusSendResult answer = SendMessage(player, WM_USER, 0, kPlayerQueryPlaying);
  return answer.Delivered() && answer.value != 0;
}

}  // namespace

BusWindowHandle FindPlayer(PlayerStart start) {
  const std::string program = ReadSetting("PLAY", "WINAMP_PATH", -1);
  if (const BusWindowHandle player = FindWindowByClass(kPlayerWindowClass)) return player;
  if (start == PlayerStart::DoNotStart) return {};
  if (StartProgram(PlayerProgram(program)).error != LaunchError::None) return {};
  std::this_thread::sleep_for(kPlayerStartWait);
  return FindWindowByClass(kPlayerWindowClass);
}

bool IsPlayerPlaying() {
  const BusWindowHandle player = FindPlayer(PlayerStart::DoNotStart);
  return player && IsPlaying(player);
}

// The playing query goes to the window found here, not to one looked up anew.
bool PlayerPlay(PlayerStart start) {
  const BusWindowHandle player = FindPlayer(start);
  if (!player) return false;
  if (!IsPlaying(player)) SendMessage(player, WM_USER, 0, kPlayerStartPlayback);
  return true;
}

bool PlayerStopAndClear() {
  const BusWindowHandle player = FindPlayer(PlayerStart::DoNotStart);
  if (!player) return false;
  SendMessage(player, WM_COMMAND, kPlayerStopCommand, 0);
  SendMessage(player, WM_USER, 0, kPlayerClearPlaylist);
  return true;
}

bool PlayerAddFile(std::string_view localPath) {
  const BusWindowHandle player = FindPlayer(PlayerStart::DoNotStart);
  if (!player) return false;
  std::string record(localPath);
  record += '\0';  // the player expects the terminating NUL within the byte count
  SendCopyData(player, 0, kPlayerAddFileKind, record);
  return true;
}
