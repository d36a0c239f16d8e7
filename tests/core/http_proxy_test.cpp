// The three proxy modes, against a real proxy (tinyproxy) and against the
// test server standing in for a proxy, which shows the exact request.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/HttpFetch.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/TinyproxyProcess.h"

namespace {

using namespace std::chrono_literals;

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (m_old) {
      setenv(m_name, m_old->c_str(), 1);
    } else {
      unsetenv(m_name);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

class HttpProxyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestHttpReply reply;
    reply.patternBytes = 10000;
    server.SetReply(reply);
    app.m_bRunning = true;
    item.m_strUrl = server.Url("/a.mp3");
    item.m_strLocalPath = saveFolder / "a.mp3";
  }

  int Fetch(int proxyMode, const std::string& proxyName = "") {
    WriteSettingInt("SITE", "PROXY_MODE", proxyMode);
    WriteSetting("SITE", "PROXY", proxyName);
    std::remove(item.m_strLocalPath.c_str());
    return FetchItem(app, item, TransferLimits{.connectTimeout = 5s, .stallTimeout = 5s});
  }

  // tinyproxy marks what it forwards with a Via header.
  bool LastRequestCameThroughTinyproxy() const {
    const auto requests = server.Requests();
    return !requests.empty() && requests.back().find("\r\nVia: ") != std::string::npos &&
           requests.back().find("tinyproxy") != std::string::npos;
  }

  ScratchProgramFolder programFolder;
  ScratchFolder saveFolder;
  TestHttpServer server;
  CDownloadCore app;
  CDownloadItem item;
};

TEST_F(HttpProxyTest, EachModeReachesTheServerItsOwnWay) {
  TinyproxyProcess proxy;
  ScopedEnvironment httpProxy("http_proxy", "http://" + proxy.Address());

  // Mode 0: direct, even though the environment names a proxy.
  EXPECT_EQ(Fetch(0), FETCH_OK);
  EXPECT_FALSE(LastRequestCameThroughTinyproxy());

  // Any other mode: the environment's proxy.
  EXPECT_EQ(Fetch(1), FETCH_OK);
  EXPECT_TRUE(LastRequestCameThroughTinyproxy());
  EXPECT_EQ(Fetch(7), FETCH_OK);
  EXPECT_TRUE(LastRequestCameThroughTinyproxy());
  {
    ScopedEnvironment noProxy("no_proxy", "127.0.0.1");
    EXPECT_EQ(Fetch(1), FETCH_OK);
    EXPECT_FALSE(LastRequestCameThroughTinyproxy());
  }

  // Mode 2: the named proxy, whatever the environment says, and no bypass.
  ScopedEnvironment otherProxy("http_proxy", "http://127.0.0.1:1");
  ScopedEnvironment noProxy("no_proxy", "*");
  EXPECT_EQ(Fetch(2, proxy.Address()), FETCH_OK);
  EXPECT_TRUE(LastRequestCameThroughTinyproxy());
  EXPECT_EQ(ReadFileText(item.m_strLocalPath), PatternBody(10000));
  EXPECT_EQ(server.RequestCount(), 5u);
}

TEST_F(HttpProxyTest, NamedProxyGetsTheFixedHeadersAndNoneOfLibcurlsOwn) {
  TestHttpServer fakeProxy;
  TestHttpReply reply;
  reply.patternBytes = 10000;
  fakeProxy.SetReply(reply);
  item.m_strAuth = "dXNlcjpwdw==";

  EXPECT_EQ(Fetch(2, "127.0.0.1:" + std::to_string(fakeProxy.Port())), FETCH_OK);
  const std::string address = "127.0.0.1:" + std::to_string(server.Port());
  ASSERT_EQ(fakeProxy.RequestCount(), 1u);
  EXPECT_EQ(fakeProxy.Requests()[0], "GET http://" + address +
                                         "/a.mp3 HTTP/1.1\r\nHost: " + address +
                                         "\r\nAccept: text/*\r\nUser-Agent: Tunefetch\r\n"
                                         "Authorization: Basic dXNlcjpwdw==\r\n\r\n");
  EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(HttpProxyTest, UnusableProxyNames) {
  // Longer than the 511 characters a proxy name may have: refused, not cut.
  EXPECT_EQ(Fetch(2, std::string(512, 'p')), FETCH_BAD_URL);
  // Mode 2 without a name, or a proxy that is not there: no way to the server.
  EXPECT_EQ(Fetch(2, ""), FETCH_NETWORK_ERROR);
  EXPECT_EQ(Fetch(2, "127.0.0.1:1"), FETCH_NETWORK_ERROR);
  EXPECT_EQ(app.GetStatusText(), "ERR");
  EXPECT_EQ(server.RequestCount(), 0u);
}

}  // namespace
