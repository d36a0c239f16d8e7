// Transfers over https against a loopback TLS server with an authority the
// test makes: verification, the SITE/HTTPS switch, the proxy tunnel, the kept
// connection and Stop.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/HttpFetch.h"
#include "core/TransferEngine.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestAuthority.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/TinyproxyProcess.h"

namespace {

using namespace std::chrono_literals;

// One authority for the whole program: openssl takes a moment per key.
TestAuthority& Authority() {
  static TestAuthority authority;
  return authority;
}

class HttpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSettingInt("SITE", "PROXY_MODE", 0);
    app.m_bRunning = true;
    item.m_strLocalPath = saveFolder / "a.mp3";
  }

  int Fetch(TestHttpServer& server, const std::string& target = "/a.mp3") {
    item.m_strUrl = server.Url(target);
    return FetchItem(app, item, engine, reason, limits);
  }

  bool NothingSaved() const { return std::filesystem::is_empty(saveFolder.Path()); }

  ScratchProgramFolder programFolder;
  ScratchFolder saveFolder;
  ScopedEnvironment trusted{"CURL_CA_BUNDLE", Authority().CaFile()};
  CDownloadCore app;
  CDownloadItem item;
  CTransferEngine engine;
  FailureReason reason;
  TransferLimits limits{.connectTimeout = 5s, .stallTimeout = 5s, .runFlagPoll = 100ms};
};

TEST_F(HttpsTest, GoodCertificateFetchesAndSendsTheRequestAsForHttp) {
  TestHttpServer server(Authority().Issue("IP:127.0.0.1"));
  server.SetReply(PatternReply(20000));
  WriteSetting("SITE", "URL", server.Url("/"));
  WriteSetting("SITE", "USERID", "user");
  WriteSetting("SITE", "PASSWORD", "pass");
  EXPECT_EQ(Fetch(server), FETCH_OK);
  EXPECT_EQ(ReadFileText(item.m_strLocalPath), PatternBody(20000));
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0],
            "GET /a.mp3 HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                "\r\nAccept: text/*\r\nUser-Agent: Tunefetch\r\n"
                "Authorization: Basic dXNlcjpwYXNz\r\n\r\n");
  // The new key is written back with its default, as every key is.
  EXPECT_NE(ReadFileText(programFolder.SettingsFile()).find("HTTPS=1"), std::string::npos);
}

// A certificate that does not verify ends the attempt like an HTTP error,
// before any request is sent, and says why.
TEST_F(HttpsTest, CertificatesThatDoNotVerifyAreRefused) {
  struct Case {
    const char* name;
    TlsIdentity identity;
    const char* words;  // in libcurl's account of the failure
  };
  const Case cases[] = {
      {"wrong host name", Authority().Issue("DNS:localhost"), "host"},
      {"expired", Authority().Issue("IP:127.0.0.1", -1), "expired"},
      {"self-signed", Authority().Issue("IP:127.0.0.1", 2, TestAuthority::Signer::Itself),
       "self-signed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestHttpServer server(c.identity);
    server.SetReply(PatternReply(20000));
    EXPECT_EQ(Fetch(server), FETCH_HTTP_ERROR);
    EXPECT_EQ(app.GetStatusText(), "ERR");
    EXPECT_EQ(reason.cause, FailureCause::CertificateRejected);
    EXPECT_TRUE(reason.text.starts_with("certificate not trusted: ")) << reason.text;
    EXPECT_NE(reason.text.find(c.words), std::string::npos) << reason.text;
    EXPECT_EQ(app.GetStatusReason(), reason.text);
    EXPECT_EQ(server.RequestCount(), 0u);
    EXPECT_TRUE(NothingSaved());
  }
}

TEST_F(HttpsTest, HttpsOffRefusesTheUrlWithoutConnecting) {
  TestHttpServer server(Authority().Issue("IP:127.0.0.1"));
  WriteSettingInt("SITE", "HTTPS", 0);
  EXPECT_EQ(Fetch(server), FETCH_BAD_URL);
  EXPECT_EQ(app.GetStatusText(), "ERR");
  EXPECT_EQ(reason.cause, FailureCause::HttpsOff);
  EXPECT_EQ(reason.text, "https is off (SITE/HTTPS=0)");
  EXPECT_EQ(server.ConnectionCount(), 0u);
  EXPECT_TRUE(NothingSaved());
}

TEST_F(HttpsTest, NamedProxyCarriesTheRequestThroughATunnel) {
  TestHttpServer server(Authority().Issue("IP:127.0.0.1"));
  server.SetReply(PatternReply(20000));
  TinyproxyProcess proxy;
  WriteSettingInt("SITE", "PROXY_MODE", 2);
  WriteSetting("SITE", "PROXY", proxy.Address());
  WriteSetting("SITE", "URL", server.Url("/"));
  WriteSetting("SITE", "USERID", "user");
  EXPECT_EQ(Fetch(server), FETCH_OK);
  EXPECT_EQ(ReadFileText(item.m_strLocalPath), PatternBody(20000));
  // The server sees the request as a direct client sends it: the proxy only
  // passed the encrypted bytes on.
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_TRUE(server.Requests()[0].starts_with("GET /a.mp3 HTTP/1.1\r\n")) << server.Requests()[0];
  EXPECT_NE(server.Requests()[0].find("Authorization: Basic dXNlcjo=\r\n"), std::string::npos);
}

TEST_F(HttpsTest, ItemsOfOneServerShareOneConnection) {
  TestHttpServer server(Authority().Issue("IP:127.0.0.1"));
  server.SetReply(PatternReply(20000));
  for (const char* target : {"/a.mp3", "/b.mp3"}) {
    SCOPED_TRACE(target);
    std::filesystem::remove(item.m_strLocalPath);
    EXPECT_EQ(Fetch(server, target), FETCH_OK);
  }
  EXPECT_EQ(server.RequestCount(), 2u);
  EXPECT_EQ(server.ConnectionCount(), 1u);
}

TEST_F(HttpsTest, StopWhileTheBodyArrivesEndsTheAttempt) {
  WriteSettingInt("GENERAL", "RESUME", 0);  // so nothing of the file stays
  TestHttpServer server(Authority().Issue("IP:127.0.0.1"));
  server.SetReply(PatternReply(50000, TestHttpReply::Failure::StallInBody, 5000));
  item.m_strUrl = server.Url("/a.mp3");
  std::future<int> result =
      std::async(std::launch::async, [this] { return FetchItem(app, item, limits); });
  ASSERT_TRUE(WaitUntil([&] { return app.m_nBytesReceived == 4096; }));
  app.Stop();
  // A tenth of a second when the machine is idle; the bound only catches a hang.
  ASSERT_EQ(result.wait_for(2s), std::future_status::ready);
  EXPECT_EQ(result.get(), FETCH_STOPPED);
  EXPECT_EQ(app.GetStatusText(), "----");
  EXPECT_TRUE(NothingSaved());
}

}  // namespace
