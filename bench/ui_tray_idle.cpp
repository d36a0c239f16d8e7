// The window program while its StatusNotifierItem animates: a transfer
// trickles data in (one 1 KB block every 250 ms, so the note turns at every
// tick of the 250 ms timer) while a StatusNotifierWatcher stand-in on a
// private session bus reads the icon at every NewIcon, as a panel does. It
// prints the CPU the program uses, in % of one core, and its peak memory,
// and the same run with no watcher on the bus (no StatusNotifierItem): the
// difference is what the item costs; and once more with the window hidden
// in the tray, as a run is usually left. Every run is measured from the same
// point, two seconds into the transfer, so the start's work is left out.
//   bench_ui_tray_idle [SECONDS]   (20 by default; the CPU clock counts in
//                                   hundredths of a second)

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
#include <functional>
#include <map>
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
  int BlocksSent() const { return m_nBlocksSent; }

 private:
  void Serve() {
    const int client = accept(m_listener, nullptr, nullptr);
    if (client < 0) return;
    char head[4096];
    if (recv(client, head, sizeof head, 0) <= 0) return (void)close(client);
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 1000000000\r\n\r\n";
    send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
    const std::string block(1024, 'x');
    while (!m_bStop && send(client, block.data(), block.size(), MSG_NOSIGNAL) > 0) {
      ++m_nBlocksSent;
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    close(client);
  }

  int m_listener = -1;
  int m_port = 0;
  std::atomic<bool> m_bStop{false};
  std::atomic<int> m_nBlocksSent{0};
  std::thread m_thread;
};

struct Measurement {
  double percent = -1;
  std::map<std::string, double> threadPercent;  // by thread name
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
  const auto follow = [&](const std::function<bool()>& done, std::chrono::milliseconds limit) {
    PumpUntil(
        [&] {
          for (; watcher && signalsRead < watcher->ItemSignals().size(); ++signalsRead)
            if (watcher->ItemSignals()[signalsRead] == "NewIcon") {
              watcher->GetProperty(watcher->Registrations().back().service, kStatusNotifierItemPath,
                                   "org.kde.StatusNotifierItem", "IconPixmap");
              ++result.iconsRead;
            }
          return done();
        },
        limit);
  };
  // Two seconds of the transfer (eight blocks) have gone by: the window is
  // painted and the note turning.
  follow([&] { return server.BlocksSent() >= 8; }, std::chrono::seconds(30));
  if (server.BlocksSent() >= 8 && (!watcher || !watcher->Registrations().empty())) {
    const double before = CpuSeconds(pid);
    const std::map<std::string, double> threadsBefore = ThreadCpuSeconds(pid);
    result.iconsRead = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    follow([&] { return std::chrono::steady_clock::now() > end; },
           std::chrono::seconds(seconds + 5));
    result.percent = (CpuSeconds(pid) - before) * 100.0 / seconds;
    for (const auto& [name, used] : ThreadCpuSeconds(pid)) {
      const auto earlier = threadsBefore.find(name);
      result.threadPercent[name] =
          (used - (earlier == threadsBefore.end() ? 0 : earlier->second)) * 100.0 / seconds;
    }
    result.peakKib = PeakKib(pid);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 20;
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
  // `display` adds lines to DISP: where the window is during the run.
  const auto writeSettings = [&folder](const std::string& display) {
    WriteFileText(folder / "tunefetch.ini",
                  "[GENERAL]\nLANGUAGE=English\n[SITE]\nPROXY_MODE=0\n[CACHE]\nSAVE_DIR=" +
                      (folder / "save") + "/\n[DISP]\nAUTO_CLOSE=0\n" + display +
                      "[PLAY]\nAUTO_CLEAR=0\n");
  };
  writeSettings("");
  std::filesystem::create_directory(folder / "bus");
  setenv("TUNEFETCH_BUS", (folder / "bus").c_str(), 1);
  setenv("TUNEFETCH_REGISTRY", (folder / "classes.reg").c_str(), 1);

  const Measurement without = Measure(folder, seconds, nullptr);
  StatusNotifierWatcherStandIn watcher;
  const Measurement with = Measure(folder, seconds, &watcher);
  // The usual way to leave a run going: the window hidden in the tray, the
  // item its only face.
  writeSettings("MINIMIZE_START=1\nTRAY_MINIMIZE=1\n");
  const Measurement inTray = Measure(folder, seconds, &watcher);
  if (without.percent < 0 || with.percent < 0 || with.iconsRead == 0 || inTray.iconsRead == 0) {
    std::fprintf(stderr,
                 "bench_ui_tray_idle: no transfer under way, or no StatusNotifierItem registered "
                 "or animated\n");
    return 1;
  }
  std::printf(
      "StatusNotifierItem animating: %.2f %% of one core over %d s, %d icons read by the panel "
      "(goal under 0.5 %%: %s)\n",
      with.percent, seconds, with.iconsRead, with.percent < 0.5 ? "met" : "MISSED");
  // Where it goes: "main" is the window's thread, "gdbus" carries the
  // session bus's messages, the worker (named as the program) transfers.
  std::printf("  by thread:");
  for (const auto& [name, percent] : with.threadPercent)
    if (percent > 0) std::printf(" %s %.2f %%", name.c_str(), percent);
  std::printf("\n");
  std::printf("the same, window in the tray:  %.2f %% of one core (goal under 0.5 %%: %s)\n",
              inTray.percent, inTray.percent < 0.5 ? "met" : "MISSED");
  std::printf("the same run without it:      %.2f %% of one core\n", without.percent);
  std::printf("peak memory:                  %.1f MB (goal under 60 MB)\n", with.peakKib / 1024.0);
  return 0;
}
