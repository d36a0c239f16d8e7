// The main window's tray icon and run-end notice on a private session bus,
// turned by wxWidgets' own event loop only: GDBus hands the desktop's calls
// to GLib's default main context, which wxGTK runs on the GUI thread. A
// StatusNotifierWatcher stand-in clicks the icon and the menu; a
// notification daemon stand-in receives the notice.

#include <gtest/gtest.h>
#include <wx/app.h>

#include <thread>

#include "app/RunningInstance.h"
#include "app/desktop/StatusNotifierItem.h"
#include "app/ui/MainWnd.h"
#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "tests/support/BuiltinSkinTest.h"
#include "tests/support/DesktopPeers.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestMainWndHost.h"
#include "tests/support/WxTestEnvironment.h"

namespace {

// Turns wxWidgets' event loop, and nothing else, until `done` holds (10 s at most).
bool YieldUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    wxTheApp->Yield(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void YieldFor(std::chrono::milliseconds span) {
  const auto end = std::chrono::steady_clock::now() + span;
  YieldUntil([end] { return std::chrono::steady_clock::now() > end; });
}

class TrayWindowTest : public BuiltinSkinTest {
 protected:
  void SetUp() override {
    ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
    WriteSetting("GENERAL", "LANGUAGE", "English");
    WriteSetting("CACHE", "SAVE_DIR", "/music/");
  }

  CMainWnd* Open() {
    auto* window = new CMainWnd(core, host, {40, 30}, true);
    window->Show();
    wxTheApp->Yield(true);
    return window;
  }

  void CallItem(StatusNotifierWatcherStandIn& watcher, const char* path, const char* interface,
                const char* method, GVariant* parameters) {
    watcher.Call(watcher.Registrations().at(0).service, path, interface, method, parameters,
                 nullptr);
  }

  // A run of the worker that fetches `fetched` files, as the window's timer
  // sees it: a worker exists for a tick, then is gone.
  void Run(CMainWnd& window, int fetched) {
    core.m_dwWorkerThreadId = 1;
    YieldFor(std::chrono::milliseconds(400));
    for (int file = 0; file < fetched; ++file) window.OnItemDone(ItemOutcome::Fetched);
    core.m_dwWorkerThreadId = 0;
    YieldFor(std::chrono::milliseconds(400));
  }

  PrivateSessionBus bus;
  ScratchProgramFolder program;
  CDownloadCore core;
  TestMainWndHost host;
};

TEST_F(TrayWindowTest, TheDesktopsClicksMinimiseRestoreAndRunTheMenu) {
  WriteSetting("DISP", "TRAY_MINIMIZE", "1");
  StatusNotifierWatcherStandIn watcher;
  ASSERT_TRUE(watcher.Ready());
  CMainWnd* window = Open();
  ASSERT_TRUE(YieldUntil([&] { return !watcher.Registrations().empty(); }));

  const auto activate = [&] {
    CallItem(watcher, kStatusNotifierItemPath, "org.kde.StatusNotifierItem", "Activate",
             g_variant_new("(ii)", 0, 0));
  };
  activate();
  EXPECT_TRUE(window->m_bMinimized);
  EXPECT_FALSE(window->IsShown()) << "with a shown tray icon, minimising hides in the tray";
  activate();
  EXPECT_FALSE(window->m_bMinimized);
  EXPECT_TRUE(window->IsShown());

  const auto click = [&](int itemId) {
    CallItem(watcher, kDbusMenuPath, "com.canonical.dbusmenu", "Event",
             g_variant_new("(isvu)", itemId, "clicked", g_variant_new_int32(0), 0U));
  };
  click(6);  // "Open Download List"
  EXPECT_FALSE(window->m_bListShown);
  click(3);  // "Close"
  EXPECT_TRUE(YieldUntil([&] { return host.quitAsked; }));
}

TEST_F(TrayWindowTest, AWindowHiddenInATrayThatGoesAwayComesBackToTheTaskbar) {
  WriteSetting("DISP", "TRAY_MINIMIZE", "1");
  auto watcher = std::make_unique<StatusNotifierWatcherStandIn>();
  CMainWnd* window = Open();
  ASSERT_TRUE(YieldUntil([&] { return !watcher->Registrations().empty(); }));
  window->MinimizeWindow();
  ASSERT_FALSE(window->IsShown());
  watcher.reset();  // the panel goes away
  // Shown, and minimised where a window manager can minimise (Xvfb has none).
  EXPECT_TRUE(YieldUntil([&] { return window->IsShown(); }));
  window->Destroy();
  wxTheApp->Yield(true);
}

TEST_F(TrayWindowTest, AWatcherThatComesAfterTheWindowTakesItsIconAndItsClicks) {
  WriteSetting("DISP", "TRAY_MINIMIZE", "1");
  CMainWnd* window = Open();
  auto watcher = std::make_unique<StatusNotifierWatcherStandIn>();
  ASSERT_TRUE(YieldUntil([&] { return !watcher->Registrations().empty(); }));
  window->MinimizeWindow();
  EXPECT_FALSE(window->IsShown()) << "the icon is shown now: minimising hides in the tray";
  CallItem(*watcher, kStatusNotifierItemPath, "org.kde.StatusNotifierItem",
           "ProvideXdgActivationToken", g_variant_new("(s)", "click-token"));
  CallItem(*watcher, kStatusNotifierItemPath, "org.kde.StatusNotifierItem", "Activate",
           g_variant_new("(ii)", 0, 0));
  EXPECT_TRUE(window->IsShown());
  EXPECT_FALSE(window->m_bMinimized);
  window->MinimizeWindow();
  watcher.reset();
  EXPECT_TRUE(YieldUntil([&] { return window->IsShown(); })) << "no tray left to come back from";
  window->Destroy();
  wxTheApp->Yield(true);
}

TEST_F(TrayWindowTest, WithoutAWatcherOrANotificationAreaMinimisingGoesToTheTaskbar) {
  WriteSetting("DISP", "TRAY_MINIMIZE", "1");
  CMainWnd* window = Open();
  window->MinimizeWindow();
  wxTheApp->Yield(true);
  EXPECT_TRUE(window->m_bMinimized);
  EXPECT_TRUE(window->IsShown()) << "no tray icon to come back from: not hidden";
  window->Destroy();
  wxTheApp->Yield(true);
}

TEST_F(TrayWindowTest, ARunThatEndsOutOfSightIsToldOnce) {
  NotificationDaemonStandIn daemon;
  ASSERT_TRUE(daemon.Ready());
  CMainWnd* window = Open();

  Run(*window, 1);
  EXPECT_TRUE(daemon.Notices().empty()) << "the window was shown";

  window->m_bMinimized = true;
  WriteSetting("DISP", "NOTIFY", "0");
  Run(*window, 1);
  EXPECT_TRUE(daemon.Notices().empty()) << "NOTIFY is off";

  WriteSetting("DISP", "NOTIFY", "1");
  Run(*window, 2);
  ASSERT_TRUE(YieldUntil([&] { return !daemon.Notices().empty(); }));
  YieldFor(std::chrono::milliseconds(300));
  ASSERT_EQ(daemon.Notices().size(), 1u);
  EXPECT_EQ(daemon.Notices()[0].summary, "Downloads finished");
  EXPECT_EQ(daemon.Notices()[0].body, "Files fetched: 2\nSaved in: /music/");
  window->Destroy();
  wxTheApp->Yield(true);
}

TEST_F(TrayWindowTest, ARunThatClosesTheWindowIsToldAsItCloses) {
  NotificationDaemonStandIn daemon;
  ASSERT_TRUE(daemon.Ready());
  CMainWnd* window = Open();
  window->m_bMinimized = true;
  window->OnItemDone(ItemOutcome::Fetched);
  window->CloseAfterRun();
  EXPECT_TRUE(host.quitAsked);
  ASSERT_TRUE(YieldUntil([&] { return !daemon.Notices().empty(); }));
  EXPECT_EQ(daemon.Notices()[0].body, "Files fetched: 1\nSaved in: /music/");
  EXPECT_TRUE(daemon.Notices()[0].actions.empty()) << "no one is left to answer a click";
}

}  // namespace
