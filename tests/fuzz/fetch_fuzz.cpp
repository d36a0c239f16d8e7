// One transfer attempt against a loopback server whose whole reply is the
// fuzz input after its first byte. An odd first byte has the server hold the
// connection open after the reply, so the attempt must end through its
// silence limit; an even one has it close. Whatever the server says, the
// attempt ends with one of its result codes within its limits (a spin shows as
// a time-out) and leaves either the finished file or nothing on disk.

#include <filesystem>

#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/HttpFetch.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;

bool IsFetchResult(int result) {
  for (int known : {FETCH_OK, FETCH_STOPPED, FETCH_NETWORK_ERROR, FETCH_TOO_SHORT,
                    FETCH_WRITE_ERROR, FETCH_BAD_URL, FETCH_HTTP_ERROR})
    if (result == known) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ScratchProgramFolder& program = FuzzProgramFolder();
  // RESUME=0: every failure leaves no partial file, which the checks below
  // hold the transfer to.
  static const bool configured =
      WriteSettingInt("SITE", "PROXY_MODE", 0) && WriteSettingInt("GENERAL", "RESUME", 0);
  FuzzCheck(configured);
  static TestHttpServer server;
  if (size < 2) return 0;  // an empty raw reply means "the usual reply" to the server
  TestHttpReply reply;
  reply.raw = std::string(FuzzText(data + 1, size - 1));
  reply.closeAfterRaw = (data[0] & 1) == 0;
  server.SetReply(reply);

  CDownloadCore app;
  app.m_bRunning = true;
  CDownloadItem item;
  item.m_strUrl = server.Url("/a.mp3");
  item.m_strLocalPath = program / "a.mp3";
  // Short limits, so a held connection costs little.
  const int result = FetchItem(
      app, item, TransferLimits{.connectTimeout = 2s, .stallTimeout = 300ms, .runFlagPoll = 50ms});
  FuzzCheck(IsFetchResult(result));
  FuzzCheck(!std::filesystem::exists(item.m_strLocalPath + ".part"));
  FuzzCheck(std::filesystem::exists(item.m_strLocalPath) == (result == FETCH_OK));
  std::filesystem::remove(item.m_strLocalPath);
  return 0;
}
