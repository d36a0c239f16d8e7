// Continuing a partial file: a first attempt is cut off by the network, a
// second one meets a server that honours the range, ignores it, changed the
// file, cannot give the range, or gives the wrong one.

#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/HttpFetch.h"
#include "core/PartFile.h"
#include "core/TransferEngine.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;
using Ranges = TestHttpReply::Ranges;

constexpr const char* kEtag = "ETag: \"v1\"";
constexpr const char* kDate = "Last-Modified: Tue, 08 Dec 2026 10:00:00 GMT";

TestHttpReply File(std::uint64_t size, const std::string& validator, Ranges ranges,
                   std::uint64_t cutAt = 0) {
  TestHttpReply reply = PatternReply(
      size, cutAt > 0 ? TestHttpReply::Failure::CloseInBody : TestHttpReply::Failure::None, cutAt);
  if (!validator.empty()) reply.headers.push_back(validator);
  reply.ranges = ranges;
  return reply;
}

class HttpResumeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSettingInt("SITE", "PROXY_MODE", 0);
    app.m_bRunning = true;
    item.m_strUrl = server.Url("/a.mp3");
    item.m_strLocalPath = saveFolder / "a.mp3";
  }

  int Fetch() { return FetchItem(app, item, engine, reason, limits); }

  ScratchProgramFolder programFolder;
  ScratchFolder saveFolder;
  TestHttpServer server;
  CDownloadCore app;
  CDownloadItem item;
  CTransferEngine engine;
  FailureReason reason;
  TransferLimits limits{.connectTimeout = 5s, .stallTimeout = 5s, .runFlagPoll = 100ms};
};

TEST_F(HttpResumeTest, SecondAttemptContinuesOnlyTheSameFileFromTheKeptBlocks) {
  struct Case {
    const char* name;
    std::string firstValidator;
    std::string laterValidator;
    Ranges ranges;
    std::uint64_t size = 50000;       // of the file at the first attempt
    std::uint64_t laterSize = 50000;  // at the later ones
    std::uint64_t cutAt = 20000;      // where the first attempt is cut off
    std::string rangeAsked;           // the Range and If-Range lines of the second request
    std::size_t requests = 2;
    const char* laterTarget = "/a.mp3";  // the URL of the later attempts
  };
  // 20000 bytes arrived: 19 whole blocks are kept.
  const std::string range = "Range: bytes=19456-\r\n";
  const Case cases[] = {
      {"honoured", kEtag, kEtag, Ranges::Honour, 50000, 50000, 20000,
       range + "If-Range: \"v1\"\r\n"},
      {"by date", kDate, kDate, Ranges::Honour, 50000, 50000, 20000,
       range + "If-Range: Tue, 08 Dec 2026 10:00:00 GMT\r\n"},
      {"ignored", kEtag, kEtag, Ranges::Ignore, 50000, 50000, 20000,
       range + "If-Range: \"v1\"\r\n"},
      {"file changed", kEtag, "ETag: \"v2\"", Ranges::Honour, 50000, 50000, 20000,
       range + "If-Range: \"v1\"\r\n", 3},
      {"range past the end", kEtag, kEtag, Ranges::Honour, 50000, 19456, 20000,
       range + "If-Range: \"v1\"\r\n", 3},
      {"wrong range", kEtag, kEtag, Ranges::WrongStart, 50000, 50000, 20000,
       range + "If-Range: \"v1\"\r\n", 3},
      {"no validator", "", "", Ranges::Honour, 50000, 50000, 20000, ""},
      // Another list names the same file from another URL.
      {"other URL", kEtag, kEtag, Ranges::Honour, 50000, 50000, 20000, "", 2, "/b.mp3"},
      // Too short for a file only when the kept bytes are not counted.
      {"whole file counts", kEtag, kEtag, Ranges::Honour, 12000, 12000, 8000,
       "Range: bytes=7168-\r\nIf-Range: \"v1\"\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(item.m_strLocalPath);
    item.m_strUrl = server.Url("/a.mp3");
    server.SetReply(File(c.size, c.firstValidator, c.ranges, c.cutAt));
    const std::size_t before = server.RequestCount();
    ASSERT_EQ(Fetch(), FETCH_NETWORK_ERROR);
    EXPECT_EQ(std::filesystem::file_size(item.m_strLocalPath + ".part"), c.cutAt);

    server.SetReply(File(c.laterSize, c.laterValidator, c.ranges));
    item.m_strUrl = server.Url(c.laterTarget);
    EXPECT_EQ(Fetch(), FETCH_OK) << reason.text;
    EXPECT_EQ(ReadFileText(item.m_strLocalPath), PatternBody(c.laterSize));
    EXPECT_EQ(app.m_nBytesReceived, static_cast<std::int32_t>(c.laterSize));
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size() - before, c.requests);
    const std::string& second = requests[before + 1];
    const std::size_t rangeAt = second.find("Range: ");
    EXPECT_EQ(
        rangeAt == std::string::npos ? "" : second.substr(rangeAt, second.size() - rangeAt - 2),
        c.rangeAsked);
    // A second request, made afresh, asks for the whole file.
    if (c.requests == 3) {
      EXPECT_EQ(requests.back().find("Range:"), std::string::npos);
    }
    // The finished file carries no validator.
    EXPECT_LT(getxattr(item.m_strLocalPath.c_str(), kValidatorAttribute, nullptr, 0), 0);
  }
}

// A record left with no bytes, or met while resuming is off, is never taken
// for the file's: the whole file is asked for, and the finished file, whose
// reply had no validator, carries none.
TEST_F(HttpResumeTest, LeftoverRecordWithoutKeptBytesIsDropped) {
  struct Case {
    const char* name;
    int resume;
    std::size_t keptBytes;
  };
  const Case cases[] = {{"empty part file", 1, 0}, {"resume off", 0, 20000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteSettingInt("GENERAL", "RESUME", c.resume);
    const std::string partPath = item.m_strLocalPath + ".part";
    std::filesystem::remove(item.m_strLocalPath);
    WriteFileText(partPath, std::string(c.keptBytes, 'x'));
    const std::string record = item.m_strUrl + "\n\"v1\"";
    ASSERT_EQ(setxattr(partPath.c_str(), kValidatorAttribute, record.data(), record.size(), 0), 0);
    server.SetReply(File(50000, "", Ranges::Honour));
    EXPECT_EQ(Fetch(), FETCH_OK) << reason.text;
    EXPECT_EQ(ReadFileText(item.m_strLocalPath), PatternBody(50000));
    EXPECT_EQ(server.Requests().back().find("Range:"), std::string::npos);
    EXPECT_LT(getxattr(item.m_strLocalPath.c_str(), kValidatorAttribute, nullptr, 0), 0);
  }
}

// Without resuming, nothing is kept and nothing is asked for by range; a
// Skip and an answer that is not the file remove what was kept.
TEST_F(HttpResumeTest, PartFileIsDroppedWhenNotToBeResumed) {
  struct Case {
    const char* name;
    int resume;
    TestHttpReply second;
  };
  TestHttpReply missing;
  missing.status = 404;
  missing.reason = "Not Found";
  const Case cases[] = {{"resume off", 0, File(50000, kEtag, Ranges::Honour)},
                        {"not found", 1, missing}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteSettingInt("GENERAL", "RESUME", c.resume);
    server.SetReply(File(50000, kEtag, Ranges::Honour, 20000));
    ASSERT_EQ(Fetch(), FETCH_NETWORK_ERROR);
    EXPECT_EQ(std::filesystem::exists(item.m_strLocalPath + ".part"), c.resume == 1);
    server.SetReply(c.second);
    Fetch();
    EXPECT_FALSE(std::filesystem::exists(item.m_strLocalPath + ".part"));
    if (c.resume == 0) {
      EXPECT_EQ(server.Requests().back().find("Range:"), std::string::npos);
    }
  }
}

}  // namespace
