// Why a transfer failed, as the front ends tell the user: one case per kind
// of failure, with its result, its cause and its exact words.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/HttpFetch.h"
#include "core/TransferEngine.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;
using Failure = TestHttpReply::Failure;

TestHttpReply Reply(int status, std::string reason, std::string body = {}) {
  TestHttpReply reply;
  reply.status = status;
  reply.reason = std::move(reason);
  reply.body = std::move(body);
  return reply;
}

TEST(HttpFailureReason, EachFailureSaysWhy) {
  ScratchProgramFolder programFolder;
  ScratchFolder saveFolder;
  TestHttpServer server;
  const std::string refused = "http://127.0.0.1:" + std::to_string(RefusingPort()) + "/a.mp3";
  WriteSettingInt("SITE", "PROXY_MODE", 0);
  server.SetReplyFor("/missing.mp3", Reply(404, "Not Found"));
  server.SetReplyFor("/cut.mp3", PatternReply(20000, Failure::CloseInBody, 4096));
  server.SetReplyFor("/short.mp3", PatternReply(9999));
  server.SetReplyFor("/error.mp3",
                     Reply(200, "OK", "Error: no such track" + std::string(20000, ' ')));
  server.SetReplyFor("/a.mp3", PatternReply(20000));
  const std::string unwritable = saveFolder / "no such folder/a.mp3";

  struct Case {
    std::string url;
    std::string localPath;
    int result;
    FailureCause cause;
    std::string text;
  };
  const Case cases[] = {
      {server.Url("/missing.mp3"), saveFolder / "a.mp3", FETCH_HTTP_ERROR, FailureCause::HttpStatus,
       "HTTP 404 Not Found"},
      {server.Url("/cut.mp3"), saveFolder / "a.mp3", FETCH_NETWORK_ERROR, FailureCause::ShortBody,
       "server sent 4096 of 20000 bytes"},
      {server.Url("/short.mp3"), saveFolder / "a.mp3", FETCH_TOO_SHORT, FailureCause::ShortBody,
       "server sent only 9999 bytes (a file has at least 10000)"},
      {server.Url("/error.mp3"), saveFolder / "a.mp3", FETCH_HTTP_ERROR, FailureCause::ErrorBody,
       "server sent an error text in place of the file"},
      {refused, saveFolder / "a.mp3", FETCH_NETWORK_ERROR, FailureCause::Network,
       "connection refused"},
      {"music/a.mp3", saveFolder / "a.mp3", FETCH_BAD_URL, FailureCause::UnusableUrl,
       "not an http or https URL: music/a.mp3"},
      {server.Url("/a.mp3"), unwritable, FETCH_WRITE_ERROR, FailureCause::WriteFailed,
       "could not write " + unwritable + ": No such file or directory"},
  };
  CDownloadCore app;
  CTransferEngine engine;
  const TransferLimits limits{.connectTimeout = 5s, .stallTimeout = 5s, .runFlagPoll = 100ms};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    app.m_bRunning = true;
    CDownloadItem item;
    item.m_strUrl = c.url;
    item.m_strLocalPath = c.localPath;
    FailureReason reason;
    EXPECT_EQ(FetchItem(app, item, engine, reason, limits), c.result);
    EXPECT_EQ(reason.cause, c.cause);
    EXPECT_EQ(reason.text, c.text);
    EXPECT_EQ(app.GetStatusReason(), c.text);
  }

  // The reason outlives the status word until the next attempt begins, and
  // a success has none.
  app.SetStatusText("-----");
  EXPECT_EQ(app.GetStatusReason(), cases[std::size(cases) - 1].text);
  app.m_bRunning = true;
  CDownloadItem item;
  item.m_strUrl = server.Url("/a.mp3");
  item.m_strLocalPath = saveFolder / "a.mp3";
  FailureReason reason{FailureCause::Network, "left over"};
  EXPECT_EQ(FetchItem(app, item, engine, reason, limits), FETCH_OK);
  EXPECT_EQ(reason.cause, FailureCause::None);
  EXPECT_EQ(app.GetStatusText(), "OK");
  EXPECT_EQ(app.GetStatusReason(), "");
}

}  // namespace
