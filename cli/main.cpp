// tunefetch-cli: the download core without a window. Loads each list named
// on the command line, runs the worker to its end and exits with a status
// that says how the run ended.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/TerminalObserver.h"
#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/PartFile.h"
#include "platform/ProgramPath.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitLeftOrFailed = 1;
constexpr int kExitUsage = 2;
constexpr std::chrono::milliseconds kTick{250};  // the progress line's refresh, four times a second

// The front end shares the window's program folder and so its settings file:
// the settings file is named after "tunefetch", whatever this file is called.
void UseProgramFolderOf(const char* argument0) {
  SetProgramArgument0(argument0 ? argument0 : "");
  const std::string folder = GetProgramFolder();
  SetProgramPath((folder.empty() ? std::string(".") : folder) + "/tunefetch");
}

// Checked without opening, so a pipe given as a list (a shell's "<(...)")
// is not consumed or broken before it is read.
bool CanOpen(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && access(path.c_str(), R_OK) == 0;
}

// Waits for the worker to end, drawing progress, and turns SIGINT and SIGTERM
// into Stop. Returns the signal that stopped the run, or 0. The signals are
// waited for on a thread of their own, so that the end of the run is seen the
// moment the worker clears itself rather than at the next progress tick.
int RunToEnd(CDownloadCore& core, TerminalObserver& observer, const sigset_t& stopSignals) {
  std::atomic<int> stoppedBy{0};
  std::atomic<bool> runOver{false};
  std::thread signalWaiter([&] {
    int signal = 0;
    while (sigwait(&stopSignals, &signal) == 0 && !runOver) {
      int none = 0;
      if (!stoppedBy.compare_exchange_strong(none, signal)) continue;  // the first one counts
      observer.Cancel();
      core.Stop();
    }
  });
  while (!core.WaitForWorkerEnd(kTick)) observer.Tick();
  runOver = true;
  pthread_kill(signalWaiter.native_handle(), SIGTERM);  // ends the waiter's sigwait
  signalWaiter.join();
  core.JoinWorker();
  observer.Finish();
  return stoppedBy;
}

}  // namespace

int main(int argc, char** argv) {
  IgnoreFileSizeLimitSignal();
  std::string error;
  const auto options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "tunefetch-cli: %s\n%s", error.c_str(), kCliUsage);
    return kExitUsage;
  }
  if (options->help) {
    std::fputs(kCliUsage, stdout);
    return kExitDone;
  }
  UseProgramFolderOf(argv[0]);
  if (options->saveFolder) OverrideSetting("CACHE", "SAVE_DIR", *options->saveFolder);

  for (const std::string& list : options->lists) {
    if (!CanOpen(list)) {
      std::fprintf(stderr, "tunefetch-cli: %s: %s\n", GetMessageText("0002").c_str(), list.c_str());
      return kExitUsage;
    }
  }

  // Blocked before any thread starts, so that every thread inherits the mask
  // and the signals wait for RunToEnd.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  CDownloadCore core;
  const TerminalObserver::Style style{isatty(STDERR_FILENO) && !options->quiet, isatty(STDIN_FILENO) != 0,
                                      options->answerYes};
  auto observer = std::make_shared<TerminalObserver>(core, style);
  core.SetObserver(observer);

  bool allLoaded = true;
  for (const std::string& list : options->lists) {
    observer->SetListName(list);
    allLoaded &= core.LoadDownloadList(list);
  }
  const int stoppedBy = RunToEnd(core, *observer, stopSignals);
  core.SetObserver(nullptr);

  if (stoppedBy != 0) return 128 + stoppedBy;
  if (!allLoaded) return kExitUsage;  // a list vanished between the check and the reading
  if (const CDownloadItem* head = core.GetHeadItem()) {
    std::fprintf(stderr, "tunefetch-cli: %zu file(s) left, first %s\n", core.m_queue.GetCount(),
                 head->m_strUrl.c_str());
    return kExitLeftOrFailed;
  }
  return core.m_nLastResult == 0 ? kExitDone : kExitLeftOrFailed;
}
