// The tray icon and the run-end notice as the desktop sees them over a private
// session bus: a StatusNotifierWatcher stand-in registers the item, reads its
// icon, tip, status and menu, clicks it and its menu items; a notification
// daemon stand-in receives the notice and clicks it.

#include <gtest/gtest.h>

#include "app/desktop/DbusMenu.h"
#include "app/desktop/RunEndNotice.h"
#include "app/desktop/SessionConnection.h"
#include "app/desktop/StatusNotifierItem.h"
#include "config/Settings.h"
#include "tests/support/DesktopPeers.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/ScratchFolder.h"

namespace {

// A 2 x 1 picture whose first pixel says which picture it is.
IconPixels Picture(std::uint8_t mark) { return {2, 1, {mark, 2, 3, 4, 5, 6}, {0x80, 0xFF}}; }

TrayPictures NumberedPictures() {
  TrayPictures pictures{Picture(100), {}};
  for (std::uint8_t frame = 0; frame < 8; ++frame) pictures.turn[frame] = Picture(frame);
  return pictures;
}

// The first pixmap's bytes (the picture as drawn, before the enlarged copy).
std::vector<std::uint8_t> FirstPixmap(GVariant* pixmaps) {
  if (!pixmaps || g_variant_n_children(pixmaps) == 0) return {};
  GVariant* first = g_variant_get_child_value(pixmaps, 0);
  GVariant* bytes = g_variant_get_child_value(first, 2);
  gsize size = 0;
  const auto* data = static_cast<const std::uint8_t*>(g_variant_get_fixed_array(bytes, &size, 1));
  std::vector<std::uint8_t> result(data, data + size);
  g_variant_unref(bytes);
  g_variant_unref(first);
  return result;
}

TEST(TrayProtocol, MenuLabelsAndPixmapBytes) {
  const struct {
    const char* text;
    const char* label;
  } labels[] = {{"&Restore", "_Restore"},
                {"Mi&nimize", "Mi_nimize"},
                {"A && B", "A & B"},
                {"a_b", "a__b"},
                {"元に戻す(&R)", "元に戻す(_R)"}};
  for (const auto& row : labels) EXPECT_EQ(DbusMenuLabel(row.text), row.label) << row.text;

  EXPECT_EQ(IconPixmapBytes(Picture(9)), (std::vector<std::uint8_t>{0x80, 9, 2, 3, 0xFF, 4, 5, 6}));
  EXPECT_EQ(IconPixmapBytes({1, 1, {1, 2, 3}, {}}), (std::vector<std::uint8_t>{0xFF, 1, 2, 3}))
      << "opaque";
  EXPECT_TRUE(IconPixmapBytes({2, 2, {1, 2, 3}, {}}).empty()) << "data shorter than the size";
  EXPECT_TRUE(IconPixmapBytes({1, 1, {1, 2, 3}, {1, 2}}).empty()) << "alpha of the wrong size";
  GVariant* doubled = g_variant_ref_sink(IconPixmapVariant(Picture(9), 2));
  ASSERT_EQ(g_variant_n_children(doubled), 2u);
  gint32 width = 0, height = 0;
  g_variant_get_child(doubled, 1, "(ii@ay)", &width, &height, nullptr);
  EXPECT_EQ(width, 4);
  EXPECT_EQ(height, 2);
  g_variant_unref(doubled);
}

class TrayBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
    session = ConnectToSessionBus();
    ASSERT_TRUE(session);
  }

  std::unique_ptr<StatusNotifierItem> MakeItem() {
    TrayMenuTexts texts;
    for (std::size_t index = 0; index < texts.size(); ++index)
      if (kTrayMenuItems[index].command != 0) texts[index] = "&Item " + std::to_string(index + 1);
    return StatusNotifierItem::Create(
        session.get(), "QEM - Tunefetch", NumberedPictures(), texts,
        {.activate = [this](const std::string& token) { activations.push_back(token); },
         .command = [this](int command) { commands.push_back(command); },
         .menuState = [this] { return ComputeTrayMenuState(minimized, listShown); },
         .shownChanged = [this](bool shown) { shownChanges.push_back(shown); }});
  }

  Variant ItemProperty(StatusNotifierWatcherStandIn& watcher, const char* property) {
    return watcher.GetProperty(watcher.Registrations().back().service, kStatusNotifierItemPath,
                               "org.kde.StatusNotifierItem", property);
  }

  // The menu's (enabled, toggle-state) per item, as GetLayout gives them;
  // toggle-state -1 where there is none.
  std::vector<std::pair<bool, int>> MenuStates(StatusNotifierWatcherStandIn& watcher) {
    Variant layout = watcher.Call(watcher.Registrations().back().service, kDbusMenuPath,
                                  "com.canonical.dbusmenu", "GetLayout",
                                  g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)),
                                  "(u(ia{sv}av))");
    std::vector<std::pair<bool, int>> states;
    if (!layout) return states;
    GVariant* root = g_variant_get_child_value(layout.get(), 1);
    GVariant* children = g_variant_get_child_value(root, 2);
    for (gsize index = 0; index < g_variant_n_children(children); ++index) {
      GVariant* child = g_variant_get_variant(g_variant_get_child_value(children, index));
      GVariant* properties = g_variant_get_child_value(child, 1);
      gboolean enabled = TRUE;
      gint32 toggle = -1;
      g_variant_lookup(properties, "enabled", "b", &enabled);
      g_variant_lookup(properties, "toggle-state", "i", &toggle);
      states.emplace_back(enabled, toggle);
      g_variant_unref(properties);
      g_variant_unref(child);
    }
    g_variant_unref(children);
    g_variant_unref(root);
    return states;
  }

  void ClickMenuItem(StatusNotifierWatcherStandIn& watcher, int itemId) {
    watcher.Call(watcher.Registrations().back().service, kDbusMenuPath, "com.canonical.dbusmenu",
                 "Event", g_variant_new("(isvu)", itemId, "clicked", g_variant_new_int32(0), 0U),
                 nullptr);
  }

  PrivateSessionBus bus;
  SessionConnection session;
  std::vector<std::string> activations;  // each with its activation token
  std::vector<bool> shownChanges;
  std::vector<int> commands;
  bool minimized = false;
  bool listShown = true;
};

TEST_F(TrayBusTest, AWatcherThatComesLaterIsRegisteredWithAndReadsTheCurrentIcon) {
  auto item = MakeItem();
  ASSERT_TRUE(item);
  EXPECT_FALSE(item->IsShown());
  PumpUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_TRUE(shownChanges.empty()) << "no watcher at the start is no change";
  item->ShowPicture(TrayPicture{5});
  item->SetTip("Evening Song");

  StatusNotifierWatcherStandIn watcher;
  ASSERT_TRUE(PumpUntil([&] { return watcher.Registrations().size() == 1; }));
  EXPECT_TRUE(item->IsShown());
  EXPECT_EQ(shownChanges, std::vector<bool>{true});
  EXPECT_TRUE(watcher.ItemSignals().empty()) << "nothing was sent while no one listened";
  EXPECT_EQ(FirstPixmap(ItemProperty(watcher, "IconPixmap").get()), IconPixmapBytes(Picture(5)));
}

TEST_F(TrayBusTest, TheWatcherSeesTheIconTipStatusAndClicks) {
  StatusNotifierWatcherStandIn watcher;
  ASSERT_TRUE(watcher.Ready());
  auto item = MakeItem();
  ASSERT_TRUE(item);
  ASSERT_TRUE(PumpUntil([&] { return !watcher.Registrations().empty(); }));
  EXPECT_TRUE(watcher.Registrations()[0].service.starts_with("org.kde.StatusNotifierItem-"));
  EXPECT_TRUE(item->IsShown());

  EXPECT_STREQ(g_variant_get_string(ItemProperty(watcher, "Status").get(), nullptr), "Active");
  EXPECT_STREQ(g_variant_get_string(ItemProperty(watcher, "Title").get(), nullptr),
               "QEM - Tunefetch");
  EXPECT_EQ(FirstPixmap(ItemProperty(watcher, "IconPixmap").get()), IconPixmapBytes(Picture(100)))
      << "idle note";
  const auto tip = [&] {
    const gchar* title = nullptr;
    Variant value = ItemProperty(watcher, "ToolTip");
    g_variant_get(value.get(), "(&sa(iiay)&s&s)", nullptr, nullptr, &title, nullptr);
    return std::string(title);
  };
  EXPECT_EQ(tip(), "QEM");

  item->ShowPicture(TrayPicture{3});
  item->ShowPicture(TrayPicture{3});  // unchanged: not sent again
  item->SetTip("Morning Song");
  ASSERT_TRUE(PumpUntil([&] { return watcher.ItemSignals().size() >= 2; }));
  EXPECT_EQ(watcher.ItemSignals(), (std::vector<std::string>{"NewIcon", "NewToolTip"}));
  EXPECT_EQ(FirstPixmap(ItemProperty(watcher, "IconPixmap").get()), IconPixmapBytes(Picture(3)));
  EXPECT_EQ(tip(), "Morning Song");

  // The other clicks, and the activation token a host hands over before
  // Activate, which is good for that one activation.
  const struct {
    const char* method;
    GVariant* parameters;
    std::vector<std::string> activations;
  } calls[] = {
      {"Activate", g_variant_new("(ii)", 10, 20), {""}},
      {"SecondaryActivate", g_variant_new("(ii)", 10, 20), {}},
      {"Scroll", g_variant_new("(is)", 120, "vertical"), {}},
      {"ContextMenu", g_variant_new("(ii)", 10, 20), {}},
      {"ProvideXdgActivationToken", g_variant_new("(s)", "token-1"), {}},
      {"Activate", g_variant_new("(ii)", 0, 0), {"token-1"}},
      {"Activate", g_variant_new("(ii)", 0, 0), {""}},
  };
  for (const auto& call : calls) {
    activations.clear();
    std::string error;
    watcher.Call(watcher.Registrations()[0].service, kStatusNotifierItemPath,
                 "org.kde.StatusNotifierItem", call.method, call.parameters, nullptr, &error);
    EXPECT_EQ(error, "") << call.method;
    EXPECT_EQ(activations, call.activations) << call.method;
  }
  EXPECT_TRUE(commands.empty());
}

TEST_F(TrayBusTest, TheMenuShowsItsStatesBeforeEachShowingAndRunsItsCommands) {
  StatusNotifierWatcherStandIn watcher;
  auto item = MakeItem();
  ASSERT_TRUE(item);
  ASSERT_TRUE(PumpUntil([&] { return !watcher.Registrations().empty(); }));

  const std::pair<bool, int> on{true, -1}, off{false, -1}, separator{true, -1};
  // Shown in large mode: Restore greyed, Open enabled and checked.
  EXPECT_EQ(MenuStates(watcher), (std::vector<std::pair<bool, int>>{
                                     off, on, on, separator, on, {true, 1}, separator, on}));
  minimized = true;
  listShown = false;
  Variant changed =
      watcher.Call(watcher.Registrations()[0].service, kDbusMenuPath, "com.canonical.dbusmenu",
                   "AboutToShow", g_variant_new("(i)", 0), "(b)");
  ASSERT_TRUE(changed);
  EXPECT_TRUE(g_variant_get_boolean(g_variant_get_child_value(changed.get(), 0)));
  // Hidden, small mode: Restore enabled; Minimize and Open greyed, no check.
  EXPECT_EQ(MenuStates(watcher), (std::vector<std::pair<bool, int>>{
                                     on, off, on, separator, on, {false, 0}, separator, on}));

  for (int itemId : {1, 3, 4, 6, 8, 99}) ClickMenuItem(watcher, itemId);
  EXPECT_EQ(commands, (std::vector<int>{IDC_RESTORE, IDC_CLOSE, IDC_OPEN, IDC_CLOSEMENU}))
      << "a separator and an unknown id do nothing";
}

TEST_F(TrayBusTest, AWatcherThatComesBackIsRegisteredWithAgain) {
  auto first = std::make_unique<StatusNotifierWatcherStandIn>();
  auto item = MakeItem();
  ASSERT_TRUE(item);
  ASSERT_TRUE(PumpUntil([&] { return first->Registrations().size() == 1; }));
  first.reset();
  ASSERT_TRUE(PumpUntil([&] { return !item->IsShown(); }));
  item->ShowPicture(TrayPicture{2});  // sent to no one
  StatusNotifierWatcherStandIn second;
  ASSERT_TRUE(PumpUntil([&] { return second.Registrations().size() == 1; }));
  EXPECT_TRUE(item->IsShown());
  EXPECT_EQ(shownChanges, (std::vector<bool>{false, true}));
  EXPECT_EQ(FirstPixmap(ItemProperty(second, "IconPixmap").get()), IconPixmapBytes(Picture(2)));
}

TEST_F(TrayBusTest, TheRunEndNoticeReachesTheDaemonAndItsClickOpensTheFolder) {
  ScratchProgramFolder program;
  WriteSetting("GENERAL", "LANGUAGE", "English");
  NotificationDaemonStandIn daemon;
  ASSERT_TRUE(daemon.Ready());
  std::vector<std::string> opened;
  DesktopNotifier notifier(session.get(),
                           [&](const std::string& folder) { opened.push_back(folder); });
  notifier.Notify(RunEndNotice(3, "/home/u/R&B <new>/", NoticeClick::OpensFolder));
  ASSERT_TRUE(PumpUntil([&] { return daemon.Notices().size() == 1; }));
  const auto& notice = daemon.Notices()[0];
  EXPECT_EQ(notice.summary, "Downloads finished");
  EXPECT_EQ(notice.body, "Files fetched: 3\nSaved in: /home/u/R&amp;B &lt;new&gt;/");
  EXPECT_EQ(notice.actions, (std::vector<std::string>{"default", "Open Folder"}));

  daemon.Click(notice.id + 1);  // someone else's notice
  daemon.Click(notice.id);
  ASSERT_TRUE(PumpUntil([&] { return !opened.empty(); }));
  EXPECT_EQ(opened, std::vector<std::string>{"/home/u/R&B <new>/"});
}

TEST_F(TrayBusTest, WithoutANotificationDaemonNothingHappensAndNothingWaits) {
  bool clicked = false;
  {
    DesktopNotifier notifier(session.get(), [&](const std::string&) { clicked = true; });
    const auto start = std::chrono::steady_clock::now();
    notifier.Notify({"s", "b", "a", "/x"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "Notify waited";
    // Gone with its call unanswered: the late answer must not reach it.
  }
  PumpUntil([] { return false; }, std::chrono::milliseconds(300));
  EXPECT_FALSE(clicked);
}

TEST(RunEndWatch, CountsTheFilesOfARunAndTellsItsEndOnce) {
  RunEndWatch watch;
  EXPECT_EQ(watch.Tick(false), std::nullopt) << "no run yet";
  EXPECT_EQ(watch.Tick(true), std::nullopt);
  for (ItemOutcome outcome :
       {ItemOutcome::Fetched, ItemOutcome::Present, ItemOutcome::Dropped, ItemOutcome::Fetched})
    watch.OnItemDone(outcome);
  EXPECT_EQ(watch.Tick(true), std::nullopt) << "still running";
  EXPECT_EQ(watch.Tick(false), 2);
  EXPECT_EQ(watch.Tick(false), std::nullopt) << "told once";
  watch.Tick(true);
  EXPECT_EQ(watch.Tick(false), 0) << "the next run counts from 0";
}

}  // namespace
