// Round trip of a synchronous SendMessage between two processes: a forked
// child registers a window whose handler echoes wParam + 1, and the parent
// times 10,000 sends one by one. Prints the median and the 99th percentile in
// microseconds. Goal: median under 200 us.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/bus/BusWindow.h"
#include "platform/bus/DesktopBus.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PlayerDouble.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr int kMessages = 10000;
constexpr int kWarmUp = 200;

[[noreturn]] void RunEchoWindow() {
  std::atomic<bool> closed{false};
  BusError error = BusError::None;
  auto window = BusWindow::Create(
      "bench-echo", "echo", WindowVisibility::Hidden,
      [&closed](const BusMessage& message) -> std::int64_t {
        if (message.message == WM_CLOSE) closed = true;
        return static_cast<std::int64_t>(message.wParam) + 1;
      },
      nullptr, error);
  if (!window) _exit(1);
  while (!closed) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  window.reset();
  _exit(0);
}

}  // namespace

int main() {
  // A bus folder of its own, so the benchmark never meets the user's windows.
  ScratchFolder scratch;
  setenv("TUNEFETCH_BUS", (scratch / "bus").c_str(), 1);

  const pid_t child = fork();
  if (child < 0) return 1;
  if (child == 0) RunEchoWindow();
  const BusWindowHandle window = WaitForWindowOfProcess(child, 5000);
  if (!window) {
    std::fputs("bus_roundtrip: the echo window did not appear\n", stderr);
    return 1;
  }

  std::vector<double> micros;
  micros.reserve(kMessages);
  int failures = 0;
  for (int i = 0; i < kWarmUp + kMessages; ++i) {
    const auto started = std::chrono::steady_clock::now();
    const BusSendResult answer = SendMessage(window, WM_USER, static_cast<std::uint64_t>(i), 0);
    const auto took = std::chrono::steady_clock::now() - started;
    if (!answer.Delivered() || answer.value != i + 1) ++failures;
    if (i >= kWarmUp) micros.push_back(std::chrono::duration<double, std::micro>(took).count());
  }
  SendMessage(window, WM_CLOSE, 0, 0);
  WaitForChildExit(child);

  std::sort(micros.begin(), micros.end());
  const double median = micros[micros.size() / 2];
  const double p99 = micros[micros.size() * 99 / 100];
  std::printf("bus_roundtrip: %d SendMessage round trips between two processes\n", kMessages);
  std::printf("  median %.1f us, p99 %.1f us, max %.1f us, failures %d (goal: median < 200 us)\n",
              median, p99, micros.back(), failures);
  return failures == 0 ? 0 : 1;
}
