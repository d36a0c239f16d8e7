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
#include "cli/TerminalText.h"
#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/ListLineReader.h"
#include "core/PartFile.h"
#include "platform/ProgramPath.h"
#include "platform/ProgramVersion.h"

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
// is not consumed or broken before it is read. The argument is taken as the
// list reader takes it, quotes and all.
bool CanOpen(const std::string& argument) {
  const std::string path = UnquotedListPath(argument);
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && IsListFileType(info.st_mode) &&
         access(path.c_str(), R_OK) == 0;
}

// Turns SIGINT and SIGTERM into the end of the run, from the first list read
// to the last transfer: the core is closed (a list being read ends at its
// next line, no worker starts any more) and stopped. The signals are blocked
// in every thread and taken here alone.
class StopSignals {
 public:
  StopSignals(CDownloadCore& core, TerminalObserver& observer) {
    sigemptyset(&m_signals);
    sigaddset(&m_signals, SIGINT);
    sigaddset(&m_signals, SIGTERM);
    // Blocked before any other thread starts, so that every thread inherits
    // the mask.
    pthread_sigmask(SIG_BLOCK, &m_signals, nullptr);
    m_waiter = std::thread([this, &core, &observer] {
      int signal = 0;
      while (sigwait(&m_signals, &signal) == 0 && !m_over) {
        int none = 0;
        if (!m_stoppedBy.compare_exchange_strong(none, signal)) continue;  // the first one counts
        observer.Cancel();
        core.m_bClosing = true;
        core.Stop();
      }
    });
  }
  ~StopSignals() {
    m_over = true;
    // Wakes the waiter's sigwait, where SIGTERM is blocked and taken, not fatal.
    pthread_kill(m_waiter.native_handle(), SIGTERM);  // NOLINT(bugprone-bad-signal-to-kill-thread)
    m_waiter.join();
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // The signal that stopped the run, or 0.
  int StoppedBy() const { return m_stoppedBy; }

 private:
  sigset_t m_signals;
  std::atomic<int> m_stoppedBy{0};
  std::atomic<bool> m_over{false};
  std::thread m_waiter;
};

// Waits for the worker to end, drawing progress. The end of the run is seen
// the moment the worker clears itself rather than at the next progress tick.
void RunToEnd(CDownloadCore& core, TerminalObserver& observer) {
  while (!core.WaitForWorkerEnd(kTick)) observer.Tick();
  core.JoinWorker();
  observer.Finish();
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
  if (options->version) {
    std::fputs(VersionLine("tunefetch-cli").c_str(), stdout);
    return kExitDone;
  }
  UseProgramFolderOf(argv[0]);
  if (options->help) {
    std::printf("%s\nSettings file: %s\n", kCliUsage, SettingsPath().c_str());
    return kExitDone;
  }
  if (options->saveFolder) OverrideSetting("CACHE", "SAVE_DIR", *options->saveFolder);

  for (const std::string& list : options->lists) {
    if (!CanOpen(list)) {
      std::fprintf(stderr, "tunefetch-cli: %s: %s\n", GetMessageText("0002").c_str(),
                   TerminalSafe(list).c_str());
      return kExitUsage;
    }
  }

  CDownloadCore core;
  const TerminalObserver::Style style{isatty(STDERR_FILENO) && !options->quiet,
                                      isatty(STDIN_FILENO) != 0, options->answerYes};
  auto observer = std::make_shared<TerminalObserver>(core, style);
  int stoppedBy = 0;
  bool allLoaded = true;
  {
    StopSignals stopSignals(core, *observer);
    core.SetObserver(observer);
    for (const std::string& list : options->lists) {
      if (stopSignals.StoppedBy() != 0) break;
      observer->SetListName(list);
      allLoaded &= core.LoadDownloadList(list);
      observer->EndOfList();
    }
    RunToEnd(core, *observer);
    stoppedBy = stopSignals.StoppedBy();
  }
  core.SetObserver(nullptr);

  if (stoppedBy != 0) return 128 + stoppedBy;
  if (!allLoaded) return kExitUsage;  // a list vanished between the check and the reading
  if (const CDownloadItem* head = core.GetHeadItem()) {
    std::fprintf(stderr, "tunefetch-cli: %zu file(s) left, first %s\n", core.m_queue.GetCount(),
                 TerminalSafe(head->m_strUrl).c_str());
    return kExitLeftOrFailed;
  }
  return core.m_nLastResult == 0 ? kExitDone : kExitLeftOrFailed;
}
