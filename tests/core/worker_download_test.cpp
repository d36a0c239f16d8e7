// The download worker against the local test server and the player double:
// which items are fetched, handed over, dropped or kept, what the window is
// told, and how Stop, Skip and settings changes during a run take effect.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/HttpFetch.h"
#include "platform/HexText.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/ObserverLog.h"
#include "tests/support/PlayerDouble.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TestHttpReply NotFound() {
  TestHttpReply reply;
  reply.status = 404;
  reply.reason = "Not Found";
  reply.body = "missing";
  return reply;
}

// A loopback port nobody listens on: connections to it are refused at once.
class WorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSetting("GENERAL", "LANGUAGE", "English");
    WriteSettingInt("SITE", "PROXY_MODE", 0);
    WriteSettingInt("PLAY", "AUTO_CLEAR", 0);
    WriteSettingInt("DISP", "AUTO_CLOSE", 0);
    core.m_transferLimits = {.connectTimeout = 5s, .stallTimeout = 5s, .runFlagPoll = 100ms};
    core.SetObserver(log);
  }

  // Queues an item for server path `name`, saved as <save>/<name>.
  void Queue(const std::string& name, std::string url = {}) {
    auto item = std::make_unique<CDownloadItem>();
    item->m_strUrl = url.empty() ? server.Url("/" + name) : url;
    item->m_strLocalPath = save / name;
    core.AddItem(std::move(item));
  }

  std::vector<std::string> QueuedPaths() const {
    return core.m_queue.Read([](const CDownloadQueue::Items& items) {
      std::vector<std::string> paths;
      for (const auto& item : items) paths.push_back(GetFileNamePartOf(item->m_strLocalPath));
      return paths;
    });
  }
  static std::string GetFileNamePartOf(const std::string& path) {
    return std::filesystem::path(path).filename();
  }

  // Starts the worker, calls `interrupt` (Stop or Skip) once body bytes
  // arrive, and waits for the worker to end.
  bool InterruptMidTransfer(void (CDownloadCore::*interrupt)()) {
    core.StartWorker();
    if (!WaitUntil([&] { return core.m_nBytesReceived > 0; })) return false;
    (core.*interrupt)();
    if (!WaitUntil([&] { return !core.IsWorkerRunning(); })) return false;
    core.JoinWorker();
    return true;
  }

  ScratchProgramFolder programFolder;
  ScratchFolder save;
  TestHttpServer server;
  CDownloadCore core;
  std::shared_ptr<ObserverLog> log = std::make_shared<ObserverLog>(core);
};

TEST_F(WorkerTest, FetchesInOrderHandsOverAndResetsThePanelsAtTheEnd) {
  PlayerDouble player({.logPath = save / "player.log"});
  server.SetReply(PatternReply(20000));
  Queue("a.mp3");
  Queue("b.mp3");
  ASSERT_TRUE(RunWorkerToEnd(core));

  EXPECT_THAT(log->EventsStartingWith("done:"), ElementsAre("done:fetched:a", "done:fetched:b"));
  EXPECT_THAT(log->EventsStartingWith("tip:"), ElementsAre("tip:a", "tip:b"));
  EXPECT_EQ(core.m_queue.GetCount(), 0u);
  EXPECT_EQ(core.GetStatusText(), "-----");
  EXPECT_EQ(core.GetCurrentFileText(), "");
  EXPECT_EQ(core.m_nBytesReceived, 0);
  int added = 0, played = 0;
  for (const std::string& line : player.LogLines()) {
    if (line.find("kind=100") != std::string::npos) ++added;
    if (line.find("lparam=102 ") != std::string::npos) ++played;
  }
  EXPECT_EQ(added, 2);
  EXPECT_EQ(played, 1);  // the second file is added while the player already plays
}

TEST_F(WorkerTest, PresentFileGoesToThePlayerWithoutTrafficOrProgressReset) {
  PlayerDouble player({.logPath = save / "player.log"});
  WriteFileText(save / "a.mp3", "kept from an earlier run");
  Queue("a.mp3");
  ASSERT_TRUE(RunWorkerToEnd(core));

  EXPECT_EQ(server.RequestCount(), 0u);
  EXPECT_THAT(log->EventsStartingWith("progress:"), IsEmpty());
  EXPECT_THAT(log->EventsStartingWith("done:"), ElementsAre("done:present:a"));
  bool handedOver = false;
  for (const std::string& line : player.LogLines())
    handedOver |= line.find("data=" + ToHex(save / "a.mp3")) != std::string::npos;
  EXPECT_TRUE(handedOver);
}

TEST_F(WorkerTest, FolderAtTheLocalPathIsNeverTakenForAFinishedFile) {
  std::filesystem::create_directory(save / "jazz");
  server.SetReply(PatternReply(20000));
  Queue("jazz");
  ASSERT_TRUE(RunWorkerToEnd(core));
  EXPECT_EQ(server.RequestCount(), 1u);
  EXPECT_THAT(log->EventsStartingWith("done:"), IsEmpty());
  EXPECT_EQ(core.m_nLastResult, FETCH_WRITE_ERROR);  // the folder cannot be replaced by the file
}

TEST_F(WorkerTest, NetworkFailuresAreRetriedThenEndTheRunOrAreDropped) {
  const std::string refused = "http://127.0.0.1:" + std::to_string(RefusingPort()) + "/x.mp3";
  server.SetReply(PatternReply(20000));
  WriteSettingInt("GENERAL", "CONNECT_RETRY", 3);
  struct Case {
    int continueAfterError;
    std::vector<std::string> done;
    std::vector<std::string> boxes;
    std::size_t left;
  };
  for (const Case& c : {Case{0, {}, {"box:Network Error"}, 2},
                        Case{1, {"done:dropped:x", "done:fetched:b"}, {}, 0}}) {
    SCOPED_TRACE(c.continueAfterError);
    while (core.GetHeadItem()) core.RemoveHeadItem();
    log->Clear();
    WriteSettingInt("GENERAL", "CONTINUE_AFTER_ERROR", c.continueAfterError);
    Queue("x.mp3", refused);
    Queue("b.mp3");
    ASSERT_TRUE(RunWorkerToEnd(core));
    // Three attempts at x, one after another, then one at b when x is dropped.
    EXPECT_EQ(log->EventsStartingWith("status:WAIT").size(), 3u + c.continueAfterError);
    // Once per item, after its last attempt.
    EXPECT_THAT(log->EventsStartingWith("failed:"), ElementsAre("failed:x:connection refused"));
    EXPECT_EQ(log->EventsStartingWith("done:"), c.done);
    EXPECT_EQ(log->EventsStartingWith("box:"), c.boxes);
    EXPECT_EQ(core.m_queue.GetCount(), c.left);
  }
}

TEST_F(WorkerTest, NoRetrySettingStillMakesOneAttempt) {
  WriteSettingInt("GENERAL", "CONNECT_RETRY", 0);
  server.SetReply(PatternReply(20000));
  Queue("a.mp3");
  ASSERT_TRUE(RunWorkerToEnd(core));
  EXPECT_THAT(log->EventsStartingWith("done:"), ElementsAre("done:fetched:a"));
}

TEST_F(WorkerTest, HttpErrorKeepsTheItemSilentlyAndTheNextWorkerFetchesItFirst) {
  WriteSettingInt("GENERAL", "CONNECT_RETRY", 3);
  server.SetReplyFor("/a.mp3", NotFound());
  server.SetReply(PatternReply(20000));
  Queue("a.mp3");
  Queue("b.mp3");
  ASSERT_TRUE(RunWorkerToEnd(core));
  EXPECT_EQ(server.RequestCount(), 1u);
  EXPECT_THAT(log->EventsStartingWith("status:ERR"), ElementsAre("status:ERR"));
  EXPECT_THAT(log->EventsStartingWith("failed:"), ElementsAre("failed:a:HTTP 404 Not Found"));
  EXPECT_THAT(log->EventsStartingWith("box:"), IsEmpty());
  EXPECT_THAT(QueuedPaths(), ElementsAre("a.mp3", "b.mp3"));

  server.SetReplyFor("/a.mp3", PatternReply(20000));
  ASSERT_TRUE(RunWorkerToEnd(core));
  EXPECT_THAT(log->EventsStartingWith("done:"), ElementsAre("done:fetched:a", "done:fetched:b"));
}

TEST_F(WorkerTest, SkipDropsTheTransferAndGoesOnWhileStopKeepsTheHead) {
  server.SetReplyFor("/slow.mp3", PatternReply(1 << 20, TestHttpReply::Failure::StallInBody));
  server.SetReply(PatternReply(20000));
  for (bool skip : {true, false}) {
    SCOPED_TRACE(skip);
    while (core.GetHeadItem()) core.RemoveHeadItem();
    log->Clear();
    Queue("slow.mp3");
    Queue("b.mp3");
    ASSERT_TRUE(InterruptMidTransfer(skip ? &CDownloadCore::Skip : &CDownloadCore::Stop));
    // A Stop keeps what was fetched, to be continued; a Skip does not.
    EXPECT_EQ(FileExists(save / "slow.mp3.part"), !skip);
    EXPECT_FALSE(FileExists(save / "slow.mp3"));
    if (skip) {
      EXPECT_THAT(log->EventsStartingWith("done:"),
                  ElementsAre("done:dropped:slow", "done:fetched:b"));
      EXPECT_FALSE(core.m_bSkipRequested);
    } else {
      EXPECT_THAT(log->EventsStartingWith("done:"), IsEmpty());
      EXPECT_THAT(QueuedPaths(), ElementsAre("slow.mp3", "b.mp3"));
    }
  }
}

// A retry, and a run started again after a Stop, continue the file where it
// was cut off instead of fetching it again.
TEST_F(WorkerTest, RetryAndRunAfterStopContinueTheFile) {
  WriteSettingInt("GENERAL", "CONNECT_RETRY", 2);
  for (bool stop : {false, true}) {
    SCOPED_TRACE(stop);
    std::filesystem::remove(save / "a.mp3");
    const std::size_t before = server.RequestCount();
    TestHttpReply reply = PatternReply(
        1 << 20, stop ? TestHttpReply::Failure::StallInBody : TestHttpReply::Failure::CloseInBody,
        300000);
    reply.headers.push_back("ETag: \"v1\"");
    reply.ranges = TestHttpReply::Ranges::Honour;  // a ranged reply is never cut off
    server.SetReply(reply);
    Queue("a.mp3");
    if (stop) {
      ASSERT_TRUE(InterruptMidTransfer(&CDownloadCore::Stop));
    }
    ASSERT_TRUE(RunWorkerToEnd(core));
    EXPECT_EQ(ReadFileText(save / "a.mp3"), PatternBody(1 << 20));
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size() - before, 2u);
    EXPECT_EQ(requests[before].find("Range:"), std::string::npos);
    EXPECT_NE(requests.back().find("Range: bytes="), std::string::npos);
  }
}

// Notes whether a file reported fetched or present was complete when the
// report came, as a second look at the disk then would see it.
class CheckingLog : public ObserverLog {
 public:
  CheckingLog(CDownloadCore& core, std::string expected)
      : ObserverLog(core), m_expected(std::move(expected)) {}
  void OnItemDone(const CDownloadItem& item, ItemOutcome outcome) override {
    if (outcome != ItemOutcome::Dropped && ReadFileText(item.m_strLocalPath) != m_expected)
      spoilt = true;
    ObserverLog::OnItemDone(item, outcome);
  }
  std::atomic<bool> spoilt{false};

 private:
  const std::string m_expected;
};

// Two runs of one list on one save folder, as two tunefetch-cli would be: the
// second comes to the file while the first writes it. It must leave the
// first one's part file alone and report nothing it did not write whole.
TEST_F(WorkerTest, TwoRunsOfOneFileNeverSpoilEachOther) {
  struct Case {
    const char* name;
    void (CDownloadCore::*interruptFirst)();   // or none
    void (CDownloadCore::*interruptSecond)();  // while it waits, or none
    std::vector<std::string> firstDone, secondDone;
  };
  const Case cases[] = {
      {"the first run finishes", nullptr, nullptr, {"done:fetched:a"}, {"done:present:a"}},
      {"the first run is stopped", &CDownloadCore::Stop, nullptr, {}, {"done:fetched:a"}},
      {"the waiting run is skipped",
       nullptr,
       &CDownloadCore::Skip,
       {"done:fetched:a"},
       {"done:dropped:a"}},
  };
  const std::uint64_t size = 200000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    while (core.GetHeadItem()) core.RemoveHeadItem();  // a stopped run kept its item
    std::filesystem::remove(save / "a.mp3");
    // The first run's body pauses half-way, the second's before its first byte.
    auto resume = std::make_shared<std::atomic<bool>>(false);
    TestHttpReply first = PatternReply(size, TestHttpReply::Failure::PauseInBody, size / 2);
    first.resume = resume;
    TestHttpReply second = first;
    second.failureOffset = 0;
    server.SetReplyFor("/a.mp3", first);
    server.SetReplyFor("/again/a.mp3", second);
    auto firstLog = std::make_shared<CheckingLog>(core, PatternBody(size));
    core.SetObserver(firstLog);
    Queue("a.mp3");
    CDownloadCore other;
    other.m_transferLimits = core.m_transferLimits;
    auto secondLog = std::make_shared<CheckingLog>(other, PatternBody(size));
    other.SetObserver(secondLog);
    auto item = std::make_unique<CDownloadItem>();
    item->m_strUrl = server.Url("/again/a.mp3");
    item->m_strLocalPath = save / "a.mp3";
    other.AddItem(std::move(item));

    core.StartWorker();
    ASSERT_TRUE(WaitUntil([&] { return core.m_nBytesReceived > 0; }));
    other.StartWorker();
    // The second run has come to the part file: it waits, or (unlocked) it
    // has emptied it.
    ASSERT_TRUE(WaitUntil(
        [&] { return other.GetStatusText() == "BUSY" || other.m_nPhase == PHASE_RECEIVING; }));
    if (c.interruptFirst) (core.*c.interruptFirst)();
    if (c.interruptSecond) (other.*c.interruptSecond)();
    *resume = true;
    ASSERT_TRUE(WaitUntil([&] { return !core.IsWorkerRunning() && !other.IsWorkerRunning(); }));
    core.JoinWorker();
    other.JoinWorker();

    EXPECT_EQ(firstLog->EventsStartingWith("done:"), c.firstDone);
    EXPECT_EQ(secondLog->EventsStartingWith("done:"), c.secondDone);
    EXPECT_FALSE(firstLog->spoilt || secondLog->spoilt);
    EXPECT_TRUE(ReadFileText(save / "a.mp3") == PatternBody(size));
    EXPECT_FALSE(FileExists(save / "a.mp3.part"));
  }
}

TEST_F(WorkerTest, SkipWithoutWorkerIsClearedByTheNextStart) {
  core.Skip();
  EXPECT_EQ(core.GetStatusText(), "SKIP");
  EXPECT_TRUE(core.m_bSkipRequested);
  server.SetReply(PatternReply(20000));
  Queue("a.mp3");
  ASSERT_TRUE(RunWorkerToEnd(core));
  EXPECT_THAT(log->EventsStartingWith("done:"), ElementsAre("done:fetched:a"));
}

TEST_F(WorkerTest, CloseIsRequestedOnlyAfterACleanEnd) {
  WriteSettingInt("DISP", "AUTO_CLOSE", 1);
  ASSERT_TRUE(RunWorkerToEnd(core));  // nothing to do
  EXPECT_THAT(log->EventsStartingWith("close"), ElementsAre("close"));

  log->Clear();
  server.SetReply(PatternReply(1 << 20, TestHttpReply::Failure::StallInBody));
  Queue("a.mp3");
  ASSERT_TRUE(InterruptMidTransfer(&CDownloadCore::Stop));
  EXPECT_THAT(log->EventsStartingWith("close"), IsEmpty());
}

TEST_F(WorkerTest, DeclinedPlayerQuestionLeavesQueueAndPanelsAndIsAskedAgain) {
  WriteSettingInt("PLAY", "AUTO_CLEAR", 1);
  WriteSetting("PLAY", "WINAMP_PATH", save / "no-such-player");
  Queue("a.mp3");
  ASSERT_TRUE(RunWorkerToEnd(core));
  ASSERT_TRUE(RunWorkerToEnd(core));
  const std::vector<std::string> events = log->Events();
  EXPECT_EQ(std::count_if(events.begin(), events.end(),
                          [](const std::string& e) { return e.starts_with("box:"); }),
            2);
  EXPECT_THAT(log->EventsStartingWith("file:"), IsEmpty());
  EXPECT_THAT(log->EventsStartingWith("status:"), IsEmpty());
  EXPECT_EQ(server.RequestCount(), 0u);
  EXPECT_EQ(core.m_queue.GetCount(), 1u);

  log->yesNoAnswer = MessageAnswer::Yes;  // go on without a player
  server.SetReply(PatternReply(20000));
  ASSERT_TRUE(RunWorkerToEnd(core));
  EXPECT_THAT(log->EventsStartingWith("done:"), ElementsAre("done:fetched:a"));
}

TEST_F(WorkerTest, ItemsAndSettingsChangedDuringARunTakeEffect) {
  server.SetReplyFor("/slow.mp3", PatternReply(2 << 20, TestHttpReply::Failure::StallInBody));
  server.SetReply(PatternReply(20000));
  const std::string refused = "http://127.0.0.1:" + std::to_string(RefusingPort()) + "/x.mp3";
  Queue("slow.mp3");
  core.StartWorker();
  ASSERT_TRUE(WaitUntil([&] { return core.m_nBytesReceived > 0; }));
  // While the first transfer hangs: two more items, and a retry count the
  // failing one must use.
  Queue("x.mp3", refused);
  Queue("b.mp3");
  WriteSettingInt("GENERAL", "CONNECT_RETRY", 2);
  WriteSettingInt("GENERAL", "CONTINUE_AFTER_ERROR", 1);
  core.Skip();
  ASSERT_TRUE(WaitUntil([&] { return !core.IsWorkerRunning(); }, 10s));
  core.JoinWorker();
  EXPECT_THAT(log->EventsStartingWith("done:"),
              ElementsAre("done:dropped:slow", "done:dropped:x", "done:fetched:b"));
  EXPECT_EQ(log->EventsStartingWith("status:WAIT").size(), 1u + 2u + 1u);
}

// Every item reads the settings anew: a change made while the previous item
// was finishing applies to the next one, whose request, sent before the
// change, is given up and sent again.
TEST_F(WorkerTest, SettingsChangedBetweenItemsApplyToTheNext) {
  TestHttpServer proxy;
  proxy.SetReply(PatternReply(20000));
  server.SetReply(PatternReply(20000));
  // Called on the worker thread when an item is done, before the next begins.
  class ChangingLog : public ObserverLog {
   public:
    using ObserverLog::ObserverLog;
    void OnItemDone(const CDownloadItem& item, ItemOutcome outcome) override {
      ObserverLog::OnItemDone(item, outcome);
      if (item.m_strLocalPath.ends_with("a.mp3")) WriteSetting("SITE", "USERID", "user");
      if (item.m_strLocalPath.ends_with("b.mp3")) WriteSettingInt("SITE", "PROXY_MODE", 2);
    }
  };
  core.SetObserver(std::make_shared<ChangingLog>(core));
  WriteSetting("SITE", "URL", server.Url("/"));
  WriteSetting("SITE", "PROXY", "127.0.0.1:" + std::to_string(proxy.Port()));
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) Queue(name);
  ASSERT_TRUE(RunWorkerToEnd(core));

  // The last request for each file is the one taken.
  std::map<std::string, std::string> direct;
  for (const std::string& request : server.Requests())
    direct[request.substr(0, request.find(" HTTP/"))] = request;
  EXPECT_EQ(direct["GET /a.mp3"].find("Authorization:"), std::string::npos);
  EXPECT_NE(direct["GET /b.mp3"].find("\r\nAuthorization: Basic dXNlcjo=\r\n"), std::string::npos);
  ASSERT_EQ(proxy.RequestCount(), 1u);
  EXPECT_TRUE(proxy.Requests()[0].starts_with("GET " + server.Url("/c.mp3") + " HTTP/1.1\r\n"));
  EXPECT_TRUE(FileExists(save / "c.mp3"));
}

// The next item's request goes out, on the kept connection, the moment the
// body before it is in: before that file is handed on. A Stop in between
// gives it up and leaves nothing of its file; the next run fetches it.
TEST_F(WorkerTest, NextRequestGoesOutWhileTheFileBeforeItIsHandedOn) {
  for (const bool stop : {false, true}) {
    SCOPED_TRACE(stop ? "stopped" : "run to its end");
    TestHttpServer lineServer;
    lineServer.SetReply(PatternReply(20000));
    class WatchingLog : public ObserverLog {
     public:
      WatchingLog(CDownloadCore& core, TestHttpServer& server, bool stop)
          : ObserverLog(core), m_core(core), m_server(server), m_stop(stop) {}
      void OnItemDone(const CDownloadItem& item, ItemOutcome outcome) override {
        ObserverLog::OnItemDone(item, outcome);
        if (!item.m_strLocalPath.ends_with("a.mp3")) return;
        requestsWhenADone = WaitUntil([this] { return m_server.RequestCount() >= 2; });
        if (m_stop) m_core.Stop();
      }
      bool requestsWhenADone = false;

     private:
      CDownloadCore& m_core;
      TestHttpServer& m_server;
      bool m_stop;
    };
    auto watching = std::make_shared<WatchingLog>(core, lineServer, stop);
    core.SetObserver(watching);
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
      Queue(name, lineServer.Url(std::string("/") + name));
    ASSERT_TRUE(RunWorkerToEnd(core));

    EXPECT_TRUE(watching->requestsWhenADone);
    EXPECT_EQ(FileExists(save / "b.mp3"), !stop);
    EXPECT_FALSE(FileExists(save / "b.mp3.part"));
    if (stop) {
      EXPECT_THAT(QueuedPaths(), ElementsAre("b.mp3", "c.mp3"));
      ASSERT_TRUE(RunWorkerToEnd(core));
    } else {
      EXPECT_EQ(lineServer.ConnectionCount(), 1u);
      EXPECT_EQ(lineServer.RequestCount(), 3u);
    }
    EXPECT_TRUE(FileExists(save / "c.mp3"));
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) std::filesystem::remove(save / name);
  }
}

TEST_F(WorkerTest, TrayTipIsCutAtACharacterBoundary) {
  server.SetReply(PatternReply(20000));
  auto item = std::make_unique<CDownloadItem>();
  item->m_strUrl = server.Url("/a.mp3");
  item->m_strLocalPath = save / "a.mp3";
  item->m_strTitle =
      std::string(61, 'x') + "\xE3\x81\x82";  // 61 bytes, then a three-byte character
  core.AddItem(std::move(item));
  ASSERT_TRUE(RunWorkerToEnd(core));
  EXPECT_THAT(log->EventsStartingWith("tip:"), ElementsAre("tip:" + std::string(61, 'x')));
}

// Several files at once (GENERAL/CONNECTIONS): later files may finish first,
// but the window, the player and the queue meet them in list order.
class FetchAheadTest : public WorkerTest {
 protected:
  void SetUp() override {
    WorkerTest::SetUp();
    WriteSettingInt("GENERAL", "CONNECTIONS", 3);
  }

  // 4096 bytes of a 20000-byte file, then the rest once `release` is set.
  static TestHttpReply HeldReply(const std::shared_ptr<std::atomic<bool>>& release) {
    TestHttpReply reply = PatternReply(20000, TestHttpReply::Failure::PauseInBody);
    reply.resume = release;
    return reply;
  }

  // The names of the files the player was given, in its order.
  std::vector<std::string> AddedToPlayer(const PlayerDouble& player, const char* const* names,
                                         std::size_t count) const {
    std::vector<std::string> added;
    for (const std::string& line : player.LogLines()) {
      if (line.find("kind=100") == std::string::npos) continue;
      for (std::size_t i = 0; i < count; ++i)
        if (line.find("data=" + ToHex(save / names[i])) != std::string::npos)
          added.push_back(names[i]);
    }
    return added;
  }

  bool EndWorker() {
    if (!WaitUntil([&] { return !core.IsWorkerRunning(); }, 20s)) return false;
    core.JoinWorker();
    return true;
  }
};

TEST_F(FetchAheadTest, LaterFilesFinishFirstAndWaitForTheHeadWhichTheViewShows) {
  PlayerDouble player({.logPath = save / "player.log"});
  auto release = std::make_shared<std::atomic<bool>>(false);
  server.SetReplyFor("/a.mp3", HeldReply(release));
  server.SetReply(PatternReply(20000));
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}) Queue(name);
  core.StartWorker();
  ASSERT_TRUE(
      WaitUntil([&] { return FileExists(save / "d.mp3") && core.m_nBytesReceived == 4096; }));
  // Finished, under their names, but not handed on before the head.
  EXPECT_THAT(log->EventsStartingWith("done:"), IsEmpty());
  EXPECT_EQ(core.GetCurrentFileText(), "a");
  EXPECT_EQ(core.GetCurrentItemSize(), 0);  // the list gave no size; the head is the item shown
  Queue("e.mp3");                           // joins the run
  *release = true;
  ASSERT_TRUE(EndWorker());

  EXPECT_THAT(log->EventsStartingWith("done:"),
              ElementsAre("done:fetched:a", "done:fetched:b", "done:fetched:c", "done:fetched:d",
                          "done:fetched:e"));
  EXPECT_THAT(log->EventsStartingWith("tip:"),
              ElementsAre("tip:a", "tip:b", "tip:c", "tip:d", "tip:e"));
  const char* const names[] = {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"};
  EXPECT_THAT(AddedToPlayer(player, names, 5),
              ElementsAre("a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"));
  EXPECT_EQ(server.PeakOpenConnections(), 3u);  // as many as the setting, never more
  EXPECT_GE(core.m_nBytesArrived, 5 * 20000);   // every transfer counts toward the rate
}

TEST_F(FetchAheadTest, AFailureBehindTheHeadIsActedOnWhenItReachesTheHead) {
  struct Case {
    int continueAfterError;
    std::vector<std::string> events;
    std::size_t left;
  };
  const Case cases[] = {
      {1,
       {"done:fetched:a0", "failed:b0:server sent 4096 of 20000 bytes", "done:dropped:b0",
        "done:fetched:c0"},
       0},
      {0, {"done:fetched:a1", "failed:b1:server sent 4096 of 20000 bytes", "box:Network Error"}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.continueAfterError);
    const std::string n = std::to_string(c.continueAfterError == 1 ? 0 : 1);
    auto release = std::make_shared<std::atomic<bool>>(false);
    server.SetReplyFor("/a" + n + ".mp3", HeldReply(release));
    server.SetReplyFor("/b" + n + ".mp3", PatternReply(20000, TestHttpReply::Failure::CloseInBody));
    server.SetReply(PatternReply(20000));
    WriteSettingInt("GENERAL", "CONTINUE_AFTER_ERROR", c.continueAfterError);
    log->Clear();
    for (const char* name : {"a", "b", "c"}) Queue(name + n + ".mp3");
    core.StartWorker();
    // b has failed and c is done while the head still waits.
    ASSERT_TRUE(WaitUntil([&] { return FileExists(save / ("c" + n + ".mp3")); }));
    EXPECT_THAT(log->EventsStartingWith("failed:"), IsEmpty());
    *release = true;
    ASSERT_TRUE(EndWorker());
    std::vector<std::string> events;
    for (const std::string& event : log->Events())
      if (event.starts_with("done:") || event.starts_with("failed:") || event.starts_with("box:"))
        events.push_back(event);
    EXPECT_EQ(events, c.events);
    EXPECT_EQ(core.m_queue.GetCount(), c.left);
  }
}

TEST_F(FetchAheadTest, StopEndsEveryTransferAndKeepsTheirPartFilesOnlyForResume) {
  WriteSettingInt("GENERAL", "CONNECTIONS", 5);
  // More than the part file gathers before it writes, so each shows on disk.
  server.SetReply(PatternReply(1 << 20, TestHttpReply::Failure::StallInBody, 1 << 18));
  for (int resume : {1, 0}) {
    SCOPED_TRACE(resume);
    WriteSettingInt("GENERAL", "RESUME", resume);
    const std::string n = std::to_string(resume);
    std::vector<std::string> parts;
    for (const char* name : {"a", "b", "c", "d", "e"}) {
      Queue(name + n + ".mp3");
      parts.push_back(save / (name + n + ".mp3.part"));
    }
    core.StartWorker();
    ASSERT_TRUE(WaitUntil([&] {
      return std::all_of(parts.begin(), parts.end(), [](const std::string& part) {
        std::error_code error;
        return std::filesystem::file_size(part, error) > 0 && !error;
      });
    }));
    core.Stop();
    ASSERT_TRUE(EndWorker());
    for (const std::string& part : parts) EXPECT_EQ(FileExists(part), resume == 1) << part;
    EXPECT_EQ(core.m_queue.GetCount(), 5u);
    while (core.GetHeadItem()) core.RemoveHeadItem();
  }
}

TEST_F(FetchAheadTest, SkipDropsOnlyTheHeadWhileTheOthersGoOn) {
  auto release = std::make_shared<std::atomic<bool>>(false);
  server.SetReplyFor("/a.mp3", PatternReply(1 << 20, TestHttpReply::Failure::StallInBody));
  server.SetReply(HeldReply(release));
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) Queue(name);
  core.StartWorker();
  ASSERT_TRUE(WaitUntil([&] { return server.RequestCount() == 3 && core.m_nBytesReceived > 0; }));
  core.Skip();
  ASSERT_TRUE(WaitUntil([&] { return !log->EventsStartingWith("done:").empty(); }));
  *release = true;
  ASSERT_TRUE(EndWorker());
  EXPECT_THAT(log->EventsStartingWith("done:"),
              ElementsAre("done:dropped:a", "done:fetched:b", "done:fetched:c"));
  EXPECT_FALSE(FileExists(save / "a.mp3.part"));
  EXPECT_EQ(server.RequestCount(), 3u);  // b and c were never interrupted
}

}  // namespace
