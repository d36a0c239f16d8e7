// player_double: a stand-in for the music player, for tests and demos. It
// registers a window of class "Winamp v1.x" on the desktop bus, keeps a
// playlist and a playing state, applies the player messages and writes one
// line per message it receives to a log, before it answers.
//
//   player_double [--log FILE] [--class NAME] [--title TEXT] [--hidden]
//                 [--playing] [--answer-delay-ms N]
//
// The log defaults to $PLAYER_DOUBLE_LOG (no log when unset). Each line:
//   message=<n> wparam=<n> lparam=<n> kind=<n> data=<hex> result=<n> playing=<0|1> playlist=<count>
// WM_CLOSE (sent or posted), SIGTERM and SIGINT end the program.

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileDescriptor.h"
#include "platform/HexText.h"
#include "platform/bus/BusWindow.h"
#include "platform/bus/PlayerProtocol.h"

namespace {

std::atomic<bool> g_quit{false};

void OnSignal(int) { g_quit = true; }

struct Options {
  std::string logPath;
  std::string className{kPlayerWindowClass};
  std::string title = "Winamp";
  WindowVisibility visibility = WindowVisibility::Shown;
  bool playing = false;
  int answerDelayMs = 0;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  if (const char* log = std::getenv("PLAYER_DOUBLE_LOG")) options.logPath = log;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    const bool hasValue = i + 1 < argc;
    if (option == "--log" && hasValue) {
      options.logPath = argv[++i];
    } else if (option == "--class" && hasValue) {
      options.className = argv[++i];
    } else if (option == "--title" && hasValue) {
      options.title = argv[++i];
    } else if (option == "--hidden") {
      options.visibility = WindowVisibility::Hidden;
    } else if (option == "--playing") {
      options.playing = true;
    } else if (option == "--answer-delay-ms" && hasValue) {
      const std::string_view text = argv[++i];
      const auto [end, error] =
          std::from_chars(text.data(), text.data() + text.size(), options.answerDelayMs);
      if (error != std::errc() || end != text.data() + text.size() || options.answerDelayMs < 0)
        return false;
    } else {
      return false;
    }
  }
  return true;
}

// The player's state; the handler runs on the window's listener thread only.
class FakePlayer {
 public:
  FakePlayer(const Options& options)
      : m_playing(options.playing), m_delayMs(options.answerDelayMs) {
    if (!options.logPath.empty())
      m_log = FileDescriptor(
          open(options.logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600));
  }

  std::int64_t Handle(const BusMessage& message) {
    // Lingering first lets a test see that the sender waits for the handler.
    if (m_delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(m_delayMs));
    const std::int64_t result = Apply(message);
    Record(message, result);
    return result;
  }

 private:
  std::int64_t Apply(const BusMessage& message) {
    switch (message.message) {
      case WM_CLOSE:
        g_quit = true;
        return 0;
      case WM_COMMAND:
        if (message.wParam == kPlayerStopCommand) m_playing = false;
        return 0;
      case WM_COPYDATA:
        if (message.dataKind == kPlayerAddFileKind)
          m_playlist.emplace_back(message.data.c_str());  // up to the NUL
        return 0;
      case WM_USER:
        if (message.lParam == kPlayerQueryPlaying) return m_playing ? 1 : 0;
        if (message.lParam == kPlayerStartPlayback) m_playing = !m_playlist.empty();
        if (message.lParam == kPlayerClearPlaylist) m_playlist.clear();
        return 0;
      default:
        return 0;
    }
  }

  void Record(const BusMessage& message, std::int64_t result) {
    if (!m_log.IsOpen()) return;
    const std::string line =
        "message=" + std::to_string(message.message) + " wparam=" + std::to_string(message.wParam) +
        " lparam=" + std::to_string(message.lParam) + " kind=" + std::to_string(message.dataKind) +
        " data=" + ToHex(message.data) + " result=" + std::to_string(result) +
        " playing=" + (m_playing ? "1" : "0") + " playlist=" + std::to_string(m_playlist.size()) +
        "\n";
    // One write per line with O_APPEND keeps lines whole.
    if (write(m_log.Get(), line.data(), line.size()) != static_cast<ssize_t>(line.size()))
      std::fputs("player_double: cannot write the log\n", stderr);
  }

  bool m_playing;
  int m_delayMs;
  std::vector<std::string> m_playlist;
  FileDescriptor m_log;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs(
        "usage: player_double [--log FILE] [--class NAME] [--title TEXT] [--hidden] [--playing] "
        "[--answer-delay-ms N]\n",
        stderr);
    return 2;
  }
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);

  FakePlayer player(options);
  BusError error = BusError::None;
  auto window = BusWindow::Create(
      options.className, options.title, options.visibility,
      [&player](const BusMessage& message) { return player.Handle(message); }, nullptr, error);
  if (!window) {
    std::fprintf(stderr, "player_double: cannot register on the bus (error %d)\n",
                 static_cast<int>(error));
    return 1;
  }
  while (!g_quit) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return 0;
}
