// Finding the running instance and handing it a list over the desktop bus:
// the atom reaches the window that takes it and never outlives the hand-over,
// and two starts cannot hold the start lock at once; a start's activation
// token travels ahead of its bring-to-front request.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "app/RunningInstance.h"
#include "platform/bus/BusWindow.h"
#include "platform/bus/DesktopBus.h"

namespace {

std::unique_ptr<BusWindow> Register(std::string_view title, WindowVisibility visibility,
                                    BusHandler handler) {
  BusError error = BusError::None;
  auto window =
      BusWindow::Create("TestWindow", title, visibility, std::move(handler), nullptr, error);
  EXPECT_NE(window, nullptr);
  return window;
}

std::int64_t Ignore(const BusMessage&) { return 0; }

TEST(RunningInstanceTest, FindsEitherTitleInCreationOrderHiddenIncluded) {
  EXPECT_FALSE(FindRunningInstance());
  auto other = Register("QEM - Tunefetch Setup ", WindowVisibility::Shown, Ignore);
  auto sheet = Register("QEM - Tunefetch Setup", WindowVisibility::Hidden, Ignore);
  auto main = Register("QEM - Tunefetch", WindowVisibility::Shown, Ignore);
  EXPECT_EQ(FindRunningInstance(), sheet->Handle());
  sheet.reset();
  EXPECT_EQ(FindRunningInstance(), main->Handle());
}

TEST(RunningInstanceTest, AListReachesTheWindowThatTakesItAndNoAtomIsLeft) {
  struct Case {
    const char* path;
    bool receiverTakes;
    const char* loaded;  // what the receiver read
  };
  const Case cases[] = {
      {"/tmp/lists/new.mpq", true, "/tmp/lists/new.mpq"},
      {"/tmp/lists/ignored.mpq", false, ""},  // a setup sheet ignores hand-overs
      {"", true, ""},                         // no name: nothing to load
  };
  for (const Case& c : cases) {
    std::string loaded;
    std::uint64_t atom = 0;
    auto window =
        Register("QEM - Tunefetch", WindowVisibility::Shown, [&](const BusMessage& message) {
          if (message.message != WM_HANDOVER || message.lParam != kHandOverList)
            return std::int64_t{0};
          atom = message.wParam;
          if (!c.receiverTakes) return std::int64_t{0};
          loaded = TakeHandedOverList(message.wParam).value_or("");
          return kHandOverTaken;
        });
    EXPECT_EQ(HandOverList(window->Handle(), c.path), c.receiverTakes) << c.path;
    EXPECT_EQ(loaded, c.loaded);
    if (atom != 0) {
      EXPECT_EQ(GlobalGetAtomName(static_cast<GlobalAtom>(atom)), "") << c.path;
    }
  }
}

TEST(RunningInstanceTest, TheStartsActivationTokenArrivesAheadOfTheRequestToComeForward) {
  struct Case {
    const char* xdgToken;
    const char* startupId;
    std::string expected;  // the token the receiver holds at the request; empty for none
  };
  const std::string overlong(kMaxActivationToken + 1, 'x');
  const Case cases[] = {
      {"wayland-token", "x11-id", "wayland-token"},  // Wayland's comes first
      {nullptr, "x11-id_TIME123", "x11-id_TIME123"},
      {"", "x11-id", "x11-id"},  // an empty variable counts as unset
      {nullptr, nullptr, ""},
      {overlong.c_str(), "x11-id", ""},  // not a token a desktop made
  };
  for (const Case& c : cases) {
    const std::string token = ActivationTokenOf([&](const char* name) {
      return std::string_view(name) == "XDG_ACTIVATION_TOKEN" ? c.xdgToken : c.startupId;
    });
    std::promise<std::string> heldAtRequest;
    std::string held;
    auto window =
        Register("QEM - Tunefetch", WindowVisibility::Shown, [&](const BusMessage& message) {
          if (auto received = ReceivedActivationToken(message)) held = *received;
          if (message.message == kBringToFrontMessage) heldAtRequest.set_value(held);
          return std::int64_t{0};
        });
    BringToFront(window->Handle(), token);
    auto result = heldAtRequest.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(result.get(), c.expected) << (c.xdgToken ? c.xdgToken : "-");
  }
}

TEST(RunningInstanceTest, ANameThatDiffersOnlyInCaseIsNeverHandedOverAsAnother) {
  const GlobalAtom pending = GlobalAddAtom("/tmp/Lists/A.mpq");
  ASSERT_NE(pending, 0);
  std::string loaded = "untouched";
  auto window =
      Register("QEM - Tunefetch", WindowVisibility::Shown, [&](const BusMessage& message) {
        loaded = TakeHandedOverList(message.wParam).value_or("");
        return kHandOverTaken;
      });
  // The clashing atom goes away while the hand-over waits for it.
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    GlobalDeleteAtom(pending);
  });
  EXPECT_TRUE(HandOverList(window->Handle(), "/tmp/lists/a.mpq"));
  release.join();
  EXPECT_EQ(loaded, "/tmp/lists/a.mpq");
}

TEST(RunningInstanceTest, TheStartLockAdmitsOneStartAtATime) {
  auto first = std::make_unique<StartLock>();
  std::atomic<bool> secondHolds{false};
  std::promise<void> started;
  std::thread second([&] {
    started.set_value();
    StartLock lock;
    secondHolds = true;
  });
  started.get_future().wait();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(secondHolds);
  first.reset();
  second.join();
  EXPECT_TRUE(secondHolds);
}

}  // namespace
