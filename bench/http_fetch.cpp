// Throughput of FetchItem against the curl command line, both fetching from
// the loopback test server into files: 200 files of 1 MB, then one of 200 MB.
// Prints MB/s for both, their ratio (goal: at least 0.90) and peak memory
// (which must not grow with the file size).

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/HttpFetch.h"
#include "core/TransferEngine.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"

extern char** environ;

namespace {

constexpr std::uint64_t kMegabyte = 1024 * 1024;
constexpr int kRounds = 5;

struct Run {
  const char* name;
  int files;
  std::uint64_t fileSize;
};

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::string LocalPath(const ScratchFolder& folder, int index) {
  return folder / ("file" + std::to_string(index) + ".mp3");
}

bool AllFilesComplete(const ScratchFolder& folder, const Run& run) {
  for (int i = 0; i < run.files; ++i) {
    std::error_code error;
    if (std::filesystem::file_size(LocalPath(folder, i), error) != run.fileSize) return false;
  }
  return true;
}

void EmptyFolder(const ScratchFolder& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    std::filesystem::remove(entry.path());
  }
}

// Seconds for FetchItem to fetch every file of the run, or -1 on a failure.
double TimeFetchItem(TestHttpServer& server, const ScratchFolder& folder, const Run& run) {
  CDownloadCore app;
  app.m_bRunning = true;
  CTransferEngine engine;  // one for the run, as the worker keeps it
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < run.files; ++i) {
    CDownloadItem item;
    item.m_strUrl = server.Url("/file" + std::to_string(i) + ".mp3");
    item.m_strLocalPath = LocalPath(folder, i);
    if (FetchItem(app, item, engine) != FETCH_OK) return -1;
  }
  const double seconds = Seconds(std::chrono::steady_clock::now() - start);
  return AllFilesComplete(folder, run) ? seconds : -1;
}

// Seconds for one curl command to fetch every file of the run (it may keep
// its connection alive between them), or -1 on a failure.
double TimeCurl(TestHttpServer& server, const ScratchFolder& folder, const Run& run) {
  const std::string config = folder / "curl.config";
  std::string text;
  for (int i = 0; i < run.files; ++i) {
    text += "url = \"" + server.Url("/file" + std::to_string(i) + ".mp3") + "\"\n";
    text += "output = \"" + LocalPath(folder, i) + "\"\n";
  }
  WriteFileText(config, text);
  const char* argv[] = {"curl", "--silent", "--show-error", "--fail", "--noproxy",
                        "*",    "-K",       config.c_str(), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  int status = -1;
  if (posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char* const*>(argv), environ) == 0) {
    waitpid(pid, &status, 0);
  }
  const double seconds = Seconds(std::chrono::steady_clock::now() - start);
  std::filesystem::remove(config);
  return status == 0 && AllFilesComplete(folder, run) ? seconds : -1;
}

}  // namespace

int main() {
  ScratchProgramFolder programFolder;
  ScratchFolder saveFolder;
  WriteSettingInt("SITE", "PROXY_MODE", 0);
  TestHttpServer server;

  std::printf("%-16s %12s %12s %8s %14s\n", "run", "FetchItem", "curl", "ratio", "peak RSS");
  bool goalMet = true;
  for (const Run& run :
       {Run{"200 x 1 MB", 200, kMegabyte}, Run{"1 x 200 MB", 1, 200 * kMegabyte}}) {
    TestHttpReply reply;
    reply.patternBytes = run.fileSize;
    server.SetReply(reply);
    const double megabytes =
        static_cast<double>(run.files) * static_cast<double>(run.fileSize) / kMegabyte;

    // Best of a few alternating rounds: the machine is shared, and the
    // fastest round is the one least disturbed by others.
    double ours = 1e9;
    double theirs = 1e9;
    for (int round = 0; round < kRounds; ++round) {
      ours = std::min(ours, TimeFetchItem(server, saveFolder, run));
      EmptyFolder(saveFolder);
      theirs = std::min(theirs, TimeCurl(server, saveFolder, run));
      EmptyFolder(saveFolder);
    }
    if (ours <= 0 || theirs <= 0) {
      std::printf("%-16s failed (FetchItem %.3f s, curl %.3f s)\n", run.name, ours, theirs);
      return 1;
    }
    const double ratio = theirs / ours;
    goalMet = goalMet && ratio >= 0.90;
    std::printf("%-16s %7.0f MB/s %7.0f MB/s %8.2f %11ld kB\n", run.name, megabytes / ours,
                megabytes / theirs, ratio, PeakRssKb());
  }
  std::printf(
      "peak RSS is this process's, test server included; it must not grow from run to run\n");
  std::printf("goal (FetchItem at least 90%% of curl): %s\n", goalMet ? "met" : "NOT met");
  return 0;
}
