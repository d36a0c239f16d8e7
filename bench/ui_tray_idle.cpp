// The window program while its StatusNotifierItem animates: a transfer
// trickles data in (one 1 KB block every 250 ms, so the note turns at every
// tick of the 250 ms timer) while a StatusNotifierWatcher stand-in on a
// private session bus reads the icon at every NewIcon, as a panel does. It
// prints the CPU the program uses, in % of one core, and its peak memory,
// and the same run with no watcher on the bus (no StatusNotifierItem): the
// difference is what the item costs.
//   bench_ui_tray_idle [SECONDS]

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "app/desktop/StatusNotifierItem.h"
#include "bench/ProcessUsage.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DesktopPeers.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/ScratchFolder.h"

namespace {

// Serves one endless file slowly on 127.0.0.1 until destroyed.
class TrickleServer {
 public:
  TrickleServer() {
    const LoopbackSocket bound = BindLoopback();
    m_listener = bound.fd;
    m_port = bound.port;
    listen(m_listener, 4);
    m_thread = std::thread([this] { Serve(); });
  }
  ~TrickleServer() {
    m_bStop = true;
    shutdown(m_listener, SHUT_RDWR);
    close(m_listener);
    m_thread.join();
  }
  int Port() const { return m_port; }

 private:
  void Serve() {
    const int client = accept(m_listener, nullptr, nullptr);
    if (client < 0) return;
    char head[4096];
    if (recv(client, head, sizeof head, 0) <= 0) return (void)close(client);
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 1000000000\r\n\r\n";
    send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
    const std::string block(1024, 'x');
    while (!m_bStop && send(client, block.data(), block.size(), MSG_NOSIGNAL) > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    close(client);
  }

  int m_listener = -1;
  int m_port = 0;
  std::atomic<bool> m_bStop{false};
  std::thread m_thread;
};

struct Measurement {
  double percent = -1;
  long peakKib = -1;
  int iconsRead = 0;
};

// One start of the program on a slow list; with `watcher`, the panel's part
// is played: the icon is read again at every NewIcon.
Measurement Measure(const ScratchFolder& folder, int seconds,
                    StatusNotifierWatcherStandIn* watcher) {
  TrickleServer server;
  const std::string list = folder / "slow.mpq";
  WriteFileText(list,
                "//!baseurl http://127.0.0.1:" + std::to_string(server.Port()) + "/\nslow.mp3\n");
  const pid_t pid = StartProgram(folder / "tunefetch", {list}, folder / "out.txt");
  Measurement result;
  std::size_t signalsRead = 0;
  const auto follow = [&](std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    PumpUntil(
        [&] {
          for (; watcher && signalsRead < watcher->ItemSignals().size(); ++signalsRead)
            if (watcher->ItemSignals()[signalsRead] == "NewIcon") {
              watcher->GetProperty(watcher->Registrations().back().service, kStatusNotifierItemPath,
                                   "org.kde.StatusNotifierItem", "IconPixmap");
              ++result.iconsRead;
            }
          return std::chrono::steady_clock::now() > end;
        },
        span + std::chrono::seconds(5));
  };
  follow(std::chrono::seconds(2));  // the transfer under way, the start's work done
  if (!watcher || !watcher->Registrations().empty()) {
    const double before = CpuSeconds(pid);
    result.iconsRead = 0;
    follow(std::chrono::seconds(seconds));
    result.percent = (CpuSeconds(pid) - before) * 100.0 / seconds;
    result.peakKib = PeakKib(pid);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 10;
  PrivateSessionBus bus;
  if (bus.Address().empty()) {
    std::fprintf(stderr, "bench_ui_tray_idle: no private session bus\n");
    return 1;
  }
  ScratchFolder folder;
  std::filesystem::create_hard_link(std::string(TF_PROGRAM_DIR) + "/tunefetch",
                                    folder / "tunefetch");
  std::filesystem::create_directory(folder / "save");
  // No player is asked for before the first file is done, and none is.
  WriteFileText(folder / "tunefetch.ini",
                "[GENERAL]\nLANGUAGE=English\n[SITE]\nPROXY_MODE=0\n[CACHE]\nSAVE_DIR=" +
                    (folder / "save") + "/\n[DISP]\nAUTO_CLOSE=0\n[PLAY]\nAUTO_CLEAR=0\n");
  std::filesystem::create_directory(folder / "bus");
  setenv("TUNEFETCH_BUS", (folder / "bus").c_str(), 1);
  setenv("TUNEFETCH_REGISTRY", (folder / "classes.reg").c_str(), 1);

  const Measurement without = Measure(folder, seconds, nullptr);
  StatusNotifierWatcherStandIn watcher;
  const Measurement with = Measure(folder, seconds, &watcher);
  if (with.percent < 0 || with.iconsRead == 0) {
    std::fprintf(stderr, "bench_ui_tray_idle: no StatusNotifierItem registered or animated\n");
    return 1;
  }
  std::printf(
      "StatusNotifierItem animating: %.2f %% of one core over %d s, %d icons read by the panel "
      "(goal under 0.5 %%)\n",
      with.percent, seconds, with.iconsRead);
  std::printf("the same run without it:      %.2f %% of one core\n", without.percent);
  std::printf("peak memory:                  %.1f MB (goal under 60 MB)\n", with.peakKib / 1024.0);
  return 0;
}
