// The main window's rules that need no display: the timer's steps, the tray
// animation, the popup menu's states, the command table and the window's
// size and place.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainWndCommands.h"
#include "app/MainWndGeometry.h"
#include "app/MainWndTimer.h"
#include "app/TrayMenu.h"
#include "core/DownloadCore.h"
#include "skin/Skin.h"
#include "tests/support/ObserverLog.h"

namespace {

struct TimerRig {
  CDownloadCore core;
  std::shared_ptr<ObserverLog> log = std::make_shared<ObserverLog>(core);
  std::vector<TrayPicture> tray;
  MainWndTimer timer{core, [this](TrayPicture picture) { tray.push_back(picture); }};
  TimerRig() { core.SetObserver(log); }
  ~TimerRig() {
    core.m_dwWorkerThreadId = 0;
    core.m_pCurrentItem = nullptr;
  }
  void WorkerOn(std::int32_t size) {
    core.m_dwWorkerThreadId = 7;
    auto item = std::make_unique<CDownloadItem>();
    item->m_nSize = size;
    core.m_pCurrentItem = item.get();
    core.m_queue.Append(std::move(item));
  }
};

TEST(MainWndTimerTest, IndicatorRunsOddFramesOncePerArrival) {
  TimerRig rig;
  const std::vector<bool> arrivals = {true, true, false, false, false, true, false};
  const std::vector<int> frames = {1, 3, 5, 7, 0, 1, 3};
  for (std::size_t tick = 0; tick < arrivals.size(); ++tick) {
    rig.core.m_bDataArrived = arrivals[tick];
    rig.timer.Tick();
    EXPECT_EQ(rig.core.m_nIndicatorFrame, frames[tick]) << "tick " << tick;
    EXPECT_FALSE(rig.core.m_bDataArrived) << "the tick clears the flag";
  }
}

TEST(MainWndTimerTest, TrayTurnsWhileDataArrivesAndRestsWhenIdle) {
  TimerRig rig;
  struct Tick {
    bool data;
    std::int32_t phase;
    std::vector<int> shown;  // frames, -1 the idle note
  };
  const std::vector<Tick> ticks = {
      {true, PHASE_RECEIVING, {0}},  {true, PHASE_RECEIVING, {1}}, {false, PHASE_RECEIVING, {}},
      {true, PHASE_CONNECTING, {2}}, {true, PHASE_IDLE, {3, -1}},  {true, PHASE_RECEIVING, {0}},
      {false, PHASE_IDLE, {-1}},
  };
  for (std::size_t index = 0; index < ticks.size(); ++index) {
    rig.tray.clear();
    rig.core.m_bDataArrived = ticks[index].data;
    rig.core.m_nPhase = ticks[index].phase;
    rig.timer.Tick();
    std::vector<int> shown;
    for (const TrayPicture& picture : rig.tray) shown.push_back(picture.frame);
    EXPECT_EQ(shown, ticks[index].shown) << "tick " << index;
  }
}

TEST(MainWndTimerTest, ProgressFollowsTheCurrentItemOnlyWithAKnownSize) {
  struct Case {
    bool worker;
    std::int32_t size, received, expected;  // expected -1: not set
  };
  const Case cases[] = {
      {true, 1000, 500, 50},
      {true, 1000, 5000, 100},
      {true, 0, 500, -1},
      {true, -4, 500, -1},
      {false, 1000, 500, -1},
      {true, 1000, 0, 0},
      {true, 30000000, 25000000, 83},  // past 21 MB the product needs more than 32 bits
  };
  for (const Case& c : cases) {
    TimerRig rig;
    if (c.worker) rig.WorkerOn(c.size);
    rig.core.m_nBytesReceived = c.received;
    rig.timer.Tick();
    const auto progress = rig.log->EventsStartingWith("progress:");
    if (c.expected < 0) {
      EXPECT_TRUE(progress.empty()) << c.size << " " << c.received;
    } else {
      EXPECT_EQ(progress, std::vector<std::string>{"progress:" + std::to_string(c.expected)});
    }
  }
}

TEST(MainWndTimerTest, StatusShowsDashesWithoutWorkerAndTheRateOnceASecond) {
  TimerRig rig;
  rig.timer.Tick();
  EXPECT_EQ(rig.log->EventsStartingWith("status:"), std::vector<std::string>{"status:----"});

  rig.log->Clear();
  rig.WorkerOn(1 << 30);
  rig.core.m_bRunning = true;
  // Ticks 2 to 9: the rate appears at ticks 4 and 8, from the bytes since the
  // previous rate tick; a second without growth shows nothing.
  const std::int32_t received[] = {1000, 2000, 12500, 12500, 12500, 12500, 12500, 12500};
  for (std::int32_t bytes : received) {
    rig.core.m_nBytesArrived = bytes;
    rig.timer.Tick();
  }
  EXPECT_EQ(rig.log->EventsStartingWith("status:"), std::vector<std::string>{"status:12"});
  rig.core.m_bRunning = false;
}

TEST(TrayMenuTest, StatesFollowTheWindow) {
  struct Case {
    bool minimized, listShown;
    TrayMenuState state;
  };
  const Case cases[] = {
      {true, true, {true, false, false, true, IDC_RESTORE}},
      {false, false, {false, true, true, false, IDC_MINIMIZE}},
      {false, true, {false, true, true, true, IDC_MINIMIZE}},
  };
  for (const Case& c : cases) EXPECT_EQ(ComputeTrayMenuState(c.minimized, c.listShown), c.state);
}

TEST(MainWndCommandsTest, CommandsAndSystemCommandsMapToActions) {
  struct Case {
    std::uint32_t value;
    MainWndAction command, system;
  };
  const Case cases[] = {
      {101, MainWndAction::Close, MainWndAction::None},
      {61536, MainWndAction::Close, MainWndAction::Close},
      {102, MainWndAction::Minimize, MainWndAction::None},
      {61472, MainWndAction::Minimize, MainWndAction::Minimize},
      {61728, MainWndAction::None, MainWndAction::Restore},
      {112, MainWndAction::Skip, MainWndAction::Skip},
      {113, MainWndAction::ToggleList, MainWndAction::ToggleList},
      {114, MainWndAction::ShowPopupMenu, MainWndAction::None},
      {115, MainWndAction::None, MainWndAction::None},
      {32775, MainWndAction::Restore, MainWndAction::None},
      {32776, MainWndAction::Setup, MainWndAction::Setup},
      {61537, MainWndAction::None, MainWndAction::None},  // low bits are not masked
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommandAction(c.value), c.command) << c.value;
    EXPECT_EQ(SystemCommandAction(c.value), c.system) << c.value;
  }
}

TEST(MainWndGeometryTest, PositionTextAndWindowSize) {
  struct Case {
    const char* text;
    WindowPlace place;
  };
  const Case cases[] = {
      {"100,100", {100, 100}}, {"-20,5000", {-20, 5000}}, {" 7 , 9", {7, 9}},
      {"x,3", {100, 3}},       {"12", {12, 100}},         {"", {100, 100}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseWindowPosition(c.text), c.place) << c.text;
  EXPECT_EQ(FormatWindowPosition({-3, 40}), "-3,40");

  Skin skin;
  skin.main.bitmap = PixelImage(275, 220);
  skin.main.panelHeight = 80;
  EXPECT_EQ(MainWindowSize(skin, true), (WindowSize{275, 220}));
  EXPECT_EQ(MainWindowSize(skin, false), (WindowSize{275, 80}));
}

}  // namespace
