// tunefetch-bridge: the music player Tunefetch looks for on its desktop bus,
// standing in for a real Linux player. It registers the player's window class
// at once, starts the player when it is not running, answers each player
// message once the real player has carried it out, and ends when the player
// has gone and nobody asked for it for a while. See docs/player-bridge.md.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bridge/AudaciousPlayer.h"
#include "bridge/BridgeOptions.h"
#include "bridge/JobQueue.h"
#include "bridge/MprisPlayer.h"
#include "bridge/PlayerMessages.h"
#include "platform/InstallFolders.h"
#include "platform/ProgramPath.h"
#include "platform/ProgramVersion.h"
#include "platform/bus/BusWindow.h"
#include "platform/bus/PlayerProtocol.h"

namespace {

std::atomic<bool> g_quit{false};

void OnSignal(int) { g_quit = true; }

void Report(const std::string& text) {
  std::fprintf(stderr, "tunefetch-bridge: %s\n", text.c_str());
}

std::unique_ptr<PlayerBackend> MakePlayer(const BridgeOptions& options, SessionBus& bus) {
  if (options.backend == BridgeBackend::Mpris)
    return std::make_unique<MprisPlayer>(bus, options.mprisPlayer, options.command);
  return std::make_unique<AudaciousPlayer>(bus, options.command);
}

}  // namespace

int main(int argc, char** argv) {
  SetProgramArgument0(argc > 0 ? argv[0] : "");
  std::string error;
  const std::optional<BridgeOptions> options =
      ParseBridgeOptions(UserSettingsFilePath("tunefetch-bridge.ini"),
                         std::vector<std::string>(argv + 1, argv + argc), error);
  if (options && options->version) {
    std::fputs(VersionLine("tunefetch-bridge").c_str(), stdout);
    return 0;
  }
  if (!options || options->help) {
    if (!options) Report(error);
    std::fputs(kBridgeUsage, options ? stdout : stderr);
    return options ? 0 : 2;
  }
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);
  std::signal(SIGPIPE, SIG_IGN);

  std::unique_ptr<SessionBus> bus = SessionBus::Connect(error);
  if (!bus) {
    Report(error);
    return 1;
  }
  std::unique_ptr<PlayerBackend> player = MakePlayer(*options, *bus);

  // The handler runs on this thread (through the queue), so the clock and the
  // player need no lock.
  JobQueue queue;
  auto lastAsked = std::chrono::steady_clock::now();
  const BusHandler handler = [&](const BusMessage& message) {
    lastAsked = std::chrono::steady_clock::now();
    if (message.message == WM_CLOSE) {
      g_quit = true;
      return std::int64_t{0};
    }
    const PlayerAnswer answer = AnswerPlayerMessage(*player, message);
    if (!answer.failure.empty()) Report(answer.failure);
    return answer.value;
  };
  // Registered before the player starts: the program looks for the window
  // one second after starting the bridge.
  BusError busError = BusError::None;
  const auto window = BusWindow::Create(kPlayerWindowClass, "Tunefetch bridge to " + player->Name(),
                                        WindowVisibility::Hidden, handler, &queue, busError);
  if (!window) {
    Report("cannot register on the desktop bus (error " +
           std::to_string(static_cast<int>(busError)) + ")");
    return 1;
  }
  if (const PlayerOutcome started = player->EnsureRunning(); !started.Done())
    Report(started.failure);
  lastAsked = std::chrono::steady_clock::now();

  while (!g_quit && !bus->IsClosed()) {
    queue.RunFor(std::chrono::milliseconds(250));
    if (std::chrono::steady_clock::now() - lastAsked >= options->idleExit && !player->IsRunning())
      break;
  }
  return 0;
}
