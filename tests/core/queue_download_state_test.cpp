// Download items, the queue, and the shared download state the worker and the
// window meet in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "core/DownloadCore.h"

namespace {

using ::testing::_;
using ::testing::Return;

std::unique_ptr<CDownloadItem> Item(std::string localPath, std::string title = {}) {
  auto item = std::make_unique<CDownloadItem>();
  item->m_strLocalPath = std::move(localPath);
  item->m_strTitle = std::move(title);
  return item;
}

// Counts deletions, to see that the queue deletes what it owns.
struct CountedItem : CDownloadItem {
  explicit CountedItem(int& deleted) : m_deleted(deleted) {}
  ~CountedItem() override { ++m_deleted; }
  int& m_deleted;
};

class MockObserver : public DownloadObserver {
 public:
  MOCK_METHOD(void, DrawCurrentFilePanel, (), (override));
  MOCK_METHOD(void, DrawStatusPanel, (), (override));
  MOCK_METHOD(void, DrawProgressPanel, (), (override));
  MOCK_METHOD(void, DrawIndicatorPanel, (), (override));
  MOCK_METHOD(void, OnItemAppended, (), (override));
  MOCK_METHOD(void, OnHeadItemRemoved, (), (override));
  MOCK_METHOD(MessageAnswer, ShowMessageBox, (const std::string&, MessageButtons), (override));
  MOCK_METHOD(void, SetTrayTip, (const std::string&), (override));
  MOCK_METHOD(void, RequestClose, (), (override));
};

TEST(DisplayNameTest, TitleWinsElseFileNameWithoutMp3) {
  EXPECT_EQ(Item("/music/jazz/Take Five.MP3")->GetDisplayName(), "Take Five");
  EXPECT_EQ(Item("C:\\MP3\\jazz\\So What.mp3")->GetDisplayName(), "So What");
  EXPECT_EQ(Item("/music/a.mp3.bak")->GetDisplayName(), "a.mp3.bak");
  EXPECT_EQ(Item("/music/.mp3")->GetDisplayName(), "");
  EXPECT_EQ(Item("/music/a.mp3", "Blue in Green")->GetDisplayName(), "Blue in Green");
}

TEST(DownloadQueueTest, HeadFirstInAppendOrder) {
  CDownloadQueue queue;
  EXPECT_EQ(queue.GetHead(), nullptr);
  EXPECT_FALSE(queue.RemoveHead());
  queue.Append(Item("a"));
  queue.Append(Item("b"));
  EXPECT_EQ(queue.GetHead()->m_strLocalPath, "a");
  EXPECT_TRUE(queue.RemoveHead());
  EXPECT_EQ(queue.GetHead()->m_strLocalPath, "b");
  EXPECT_EQ(queue.GetCount(), 1u);
  EXPECT_EQ(queue.Read([](const CDownloadQueue::Items& items) { return items[0]->m_strLocalPath; }),
            "b");
}

TEST(DownloadQueueTest, DeletesWhatItHolds) {
  int deleted = 0;
  {
    CDownloadQueue queue;
    for (int i = 0; i < 4; ++i) queue.Append(std::make_unique<CountedItem>(deleted));
    queue.RemoveHead();
    EXPECT_EQ(deleted, 1);
  }
  EXPECT_EQ(deleted, 4);
}

TEST(DownloadCoreTest, StartsWithTheDesignedValues) {
  CDownloadCore core;
  EXPECT_EQ(core.GetStatusText(), "----");
  EXPECT_EQ(core.GetCurrentFileText(), "");
  EXPECT_FALSE(core.m_bRunning);
  EXPECT_FALSE(core.IsWorkerRunning());
  EXPECT_EQ(core.m_pCurrentItem.load(), nullptr);
  core.m_dwWorkerThreadId = 7;
  EXPECT_TRUE(core.IsWorkerRunning());
}

TEST(DownloadCoreTest, StopShowsStopAndClearsTheRunFlag) {
  CDownloadCore core;
  core.m_bRunning = true;
  core.Stop();
  EXPECT_EQ(core.GetStatusText(), "STOP");
  EXPECT_FALSE(core.m_bRunning);
  EXPECT_FALSE(core.m_bSkipRequested);
}

TEST(DownloadCoreTest, SkipWithoutWorkerLeavesTheRequestPending) {
  CDownloadCore core;
  core.Skip();
  EXPECT_EQ(core.GetStatusText(), "SKIP");
  EXPECT_TRUE(core.m_bSkipRequested);
  EXPECT_FALSE(core.m_bRunning);
}

TEST(DownloadCoreTest, ClosingStopsStoringAndDrawingButStopStillClearsTheRunFlag) {
  CDownloadCore core;
  auto observer = std::make_shared<MockObserver>();
  core.SetObserver(observer);
  core.SetCurrentFileText("Take Five");
  core.m_bRunning = true;
  core.m_bClosing = true;
  EXPECT_CALL(*observer, DrawStatusPanel()).Times(0);
  EXPECT_CALL(*observer, DrawCurrentFilePanel()).Times(0);
  core.Stop();
  core.SetCurrentFileText("");
  core.SetProgress(50);
  EXPECT_EQ(core.GetStatusText(), "----");
  EXPECT_EQ(core.GetCurrentFileText(), "Take Five");
  EXPECT_EQ(core.m_nProgress, 0);
  EXPECT_FALSE(core.m_bRunning);
}

TEST(DownloadCoreTest, SettersStoreAndDrawTheirPanelOnly) {
  CDownloadCore core;
  core.SetProgress(40);  // no window yet: stored, drawn nowhere
  EXPECT_EQ(core.m_nProgress, 40);

  auto observer = std::make_shared<MockObserver>();
  core.SetObserver(observer);
  EXPECT_CALL(*observer, DrawProgressPanel()).Times(1);
  EXPECT_CALL(*observer, DrawIndicatorPanel()).Times(1);
  EXPECT_CALL(*observer, DrawStatusPanel()).Times(1);
  EXPECT_CALL(*observer, DrawCurrentFilePanel()).Times(1);
  core.SetProgress(60);
  core.SetIndicatorFrame(3);
  core.SetStatusText("OK");
  core.SetCurrentFileText("So What");
  EXPECT_EQ(core.m_nIndicatorFrame, 3);

  core.SetObserver(nullptr);
  core.SetStatusText("WAIT");  // detached: stored only
  EXPECT_EQ(core.GetStatusText(), "WAIT");
}

TEST(DownloadCoreTest, QueueOperationsTellTheListView) {
  CDownloadCore core;
  auto observer = std::make_shared<MockObserver>();
  core.SetObserver(observer);
  EXPECT_CALL(*observer, OnHeadItemRemoved()).Times(0);
  core.RemoveHeadItem();  // empty: nothing happens, nobody is told
  ::testing::Mock::VerifyAndClearExpectations(observer.get());

  EXPECT_CALL(*observer, OnItemAppended()).Times(2);
  EXPECT_CALL(*observer, OnHeadItemRemoved()).Times(1);
  core.AddItem(Item("a"));
  core.AddItem(Item("b"));
  core.RemoveHeadItem();
  EXPECT_EQ(core.GetHeadItem()->m_strLocalPath, "b");
}

TEST(DownloadCoreTest, MessageBoxesGoToTheWindowOrAnswerNo) {
  CDownloadCore core;
  EXPECT_EQ(core.ShowMessageBox("Network Error", MessageButtons::Ok), MessageAnswer::Ok);
  EXPECT_EQ(core.ShowMessageBox("continue?", MessageButtons::YesNo), MessageAnswer::No);
  auto observer = std::make_shared<MockObserver>();
  core.SetObserver(observer);
  EXPECT_CALL(*observer, ShowMessageBox("continue?", MessageButtons::YesNo))
      .WillOnce(Return(MessageAnswer::Yes));
  EXPECT_EQ(core.ShowMessageBox("continue?", MessageButtons::YesNo), MessageAnswer::Yes);
}

// The window's timer reads the current item's size while the worker finishes
// and removes that item; under the sanitizers this pins that the reader never
// meets a deleted item, even when the worker forgets to clear the pointer.
TEST(DownloadCoreTest, CurrentItemSizeIsSafeWhileTheHeadIsRemoved) {
  CDownloadCore core;
  EXPECT_EQ(core.GetCurrentItemSize(), 0);
  constexpr int kItems = 500;
  for (int i = 0; i < kItems; ++i) {
    auto item = Item("/music/" + std::to_string(i) + ".mp3");
    item->m_nSize = i + 1;
    core.AddItem(std::move(item));
  }
  std::atomic<bool> done{false};
  std::thread worker([&] {
    while (CDownloadItem* head = core.GetHeadItem()) {
      core.m_pCurrentItem = head;
      core.RemoveHeadItem();
    }
    done = true;
  });
  int previous = 0;
  while (!done) {
    const int size = core.GetCurrentItemSize();
    EXPECT_TRUE(size == 0 || size >= previous) << size;  // items go in order
    if (size != 0) previous = size;
  }
  worker.join();
  EXPECT_EQ(core.m_pCurrentItem.load(), nullptr);
  EXPECT_EQ(core.GetCurrentItemSize(), 0);
}

// The worker takes and removes the head while the main thread appends and the
// list view reads rows; run under the sanitizers this pins the queue's lock.
TEST(DownloadCoreTest, AppendsHeadRemovalsAndReadsFromTwoThreads) {
  CDownloadCore core;
  constexpr int kItems = 2000;
  std::atomic<int> removed{0};
  std::thread worker([&] {
    while (removed < kItems) {
      if (CDownloadItem* head = core.GetHeadItem()) {
        EXPECT_FALSE(head->GetDisplayName().empty());
        core.SetCurrentFileText(head->GetDisplayName());
        core.RemoveHeadItem();
        ++removed;
      }
    }
  });
  size_t rowsSeen = 0;
  for (int i = 0; i < kItems; ++i) {
    core.AddItem(Item("/music/" + std::to_string(i) + ".mp3"));
    rowsSeen += core.m_queue.Read([](const CDownloadQueue::Items& items) {
      size_t named = 0;
      for (const auto& item : items) named += !item->GetDisplayName().empty();
      return named;
    });
    EXPECT_FALSE(core.GetCurrentFileText().starts_with('x'));
  }
  worker.join();
  EXPECT_EQ(core.m_queue.GetCount(), 0u);
  EXPECT_GT(rowsSeen, 0u);
}

}  // namespace
