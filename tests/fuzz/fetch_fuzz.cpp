// One transfer attempt against a loopback server whose whole reply is the
// fuzz input (the connection closes after it). Whatever the server says, the
// attempt ends with one of its result codes, quickly, and leaves either the
// finished file or nothing on disk.

#include <filesystem>

#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/HttpFetch.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;

bool IsFetchResult(int result) {
  for (int known : {FETCH_OK, FETCH_STOPPED, FETCH_NETWORK_ERROR, FETCH_TOO_SHORT, FETCH_WRITE_ERROR, FETCH_BAD_URL,
                    FETCH_HTTP_ERROR})
    if (result == known) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ScratchProgramFolder& program = FuzzProgramFolder();
  static const bool configured = WriteSettingInt("SITE", "PROXY_MODE", 0);
  FuzzCheck(configured);
  static TestHttpServer server;
  if (size == 0) return 0;  // an empty raw reply means "the usual reply" to the server
  TestHttpReply reply;
  reply.raw = std::string(FuzzText(data, size));
  reply.closeAfterRaw = true;
  server.SetReply(reply);

  CDownloadCore app;
  app.m_bRunning = true;
  CDownloadItem item;
  item.m_strUrl = server.Url("/a.mp3");
  item.m_strLocalPath = program / "a.mp3";
  // Short limits: a reply that makes the attempt wait shows as a time-out.
  const int result = FetchItem(app, item, TransferLimits{.connectTimeout = 2s, .stallTimeout = 2s, .runFlagPoll = 50ms});
  FuzzCheck(IsFetchResult(result));
  FuzzCheck(!std::filesystem::exists(item.m_strLocalPath + ".part"));
  FuzzCheck(std::filesystem::exists(item.m_strLocalPath) == (result == FETCH_OK));
  std::filesystem::remove(item.m_strLocalPath);
  return 0;
}
