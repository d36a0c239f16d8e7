// tunefetch-cli: the download core without a window. Loads each list named
// on the command line, runs the worker to its end and exits with a status
// that says how the run ended.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/TerminalObserver.h"
#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "platform/ProgramPath.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitLeftOrFailed = 1;
constexpr int kExitUsage = 2;
constexpr long kTickNanoseconds = 250'000'000;  // the progress line's refresh, four times a second

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
// into Stop. Returns the signal that stopped the run, or 0.
int RunToEnd(CDownloadCore& core, TerminalObserver& observer, const sigset_t& stopSignals) {
  int stoppedBy = 0;
  const timespec tick{0, kTickNanoseconds};
  while (core.IsWorkerRunning()) {
    const int signal = sigtimedwait(&stopSignals, nullptr, &tick);
    if (signal > 0 && stoppedBy == 0) {
      stoppedBy = signal;
      observer.Cancel();
      core.Stop();
    }
    observer.Tick();
  }
  core.JoinWorker();
  observer.Finish();
  return stoppedBy;
}

}  // namespace

int main(int argc, char** argv) {
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
