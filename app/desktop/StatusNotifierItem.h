#pragma once
// The tray icon as today's desktops show one: a StatusNotifierItem on the
// session D-Bus, registered with the desktop's StatusNotifierWatcher, with
// its popup menu exported over com.canonical.dbusmenu. The desktop draws the
// icon, the tip and the menu itself and sends back clicks.
//
// GDBus dispatches method calls to the GLib main context that was the
// thread's default when the item was made. wxGTK's event loop runs GLib's
// default main context, so made on the GUI thread, every handler runs there,
// between the window's own events.

#include <gio/gio.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/TrayAnimation.h"
#include "app/desktop/DbusMenu.h"
#include "app/desktop/IconPixmap.h"

inline constexpr const char* kStatusNotifierWatcherName = "org.kde.StatusNotifierWatcher";
inline constexpr const char* kStatusNotifierItemPath = "/StatusNotifierItem";
inline constexpr const char* kDbusMenuPath = "/MenuBar";

// The idle note and the eight frames of the turning note, in the order shown.
struct TrayPictures {
  IconPixels idle;
  std::array<IconPixels, 8> turn;
};

class StatusNotifierItem {
 public:
  struct Handlers {
    // The icon was clicked (left button), with the activation token the host
    // provided for that click (empty without one).
    std::function<void(const std::string& activationToken)> activate;
    std::function<void(int command)> command;  // a menu item was chosen
    std::function<TrayMenuState()> menuState;  // the menu's states as of now
    // A watcher came (true) or left (false): whether a panel shows the icon.
    std::function<void(bool shown)> shownChanged;
  };

  // The item on `connection` (kept referenced); null without a connection.
  // Whether a watcher is there is asked at once (at most a second), so
  // IsShown() is right from the start; the registration goes on without
  // waiting, and is made whenever a watcher appears: later than the item, or
  // anew (the panel was restarted).
  static std::unique_ptr<StatusNotifierItem> Create(GDBusConnection* connection,
                                                    const std::string& title,
                                                    const TrayPictures& pictures,
                                                    TrayMenuTexts texts, Handlers handlers);
  ~StatusNotifierItem();
  StatusNotifierItem(const StatusNotifierItem&) = delete;
  StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

  // True while a watcher is on the bus, so a panel shows the icon.
  bool IsShown() const { return m_bWatcherPresent; }

  // Shows `picture`; a picture already shown is not sent again, and nothing
  // is sent while no watcher is there (a host reads the item when it comes).
  void ShowPicture(TrayPicture picture);
  // The tip, as given (the caller keeps it within the tray's 63 bytes).
  void SetTip(const std::string& tip);

 private:
  StatusNotifierItem(GDBusConnection* connection, const std::string& title,
                     const TrayPictures& pictures, TrayMenuTexts texts, Handlers handlers);
  void Export();
  void RegisterWithWatcher();
  void EmitItemSignal(const char* name, GVariant* parameters);
  GVariant* ItemProperty(const char* name) const;
  void OnWatcher(bool present);
  void OnItemCall(const char* method, GVariant* parameters, GDBusMethodInvocation* invocation);
  GVariant* MenuProperty(const char* name) const;
  void OnMenuCall(const char* method, GVariant* parameters, GDBusMethodInvocation* invocation);
  void OnMenuEvent(int itemId, const char* eventId);
  bool UpdateMenuState();

  GDBusConnection* m_pConnection;  // referenced
  std::string m_strTitle;
  std::string m_strTip = "QEM";
  std::string m_strActivationToken;       // provided by the host for its next Activate
  std::array<GVariant*, 9> m_pictures{};  // idle, then the turn frames; referenced
  TrayPicture m_picture;
  TrayMenuTexts m_menuTexts;
  Handlers m_handlers;
  TrayMenuState m_menuState;  // as the host last read it
  unsigned m_nMenuRevision = 1;
  std::string m_strBusName;
  guint m_nItemObject = 0, m_nMenuObject = 0, m_nNameOwner = 0, m_nWatcherWatch = 0;
  bool m_bNameOwned = false;
  bool m_bWatcherPresent = false;  // as asked at creation, then as the name watch tells
  bool m_bWatcherSeen = false;     // the name watch has reported the watcher
  GCancellable* m_pCancellable;
};
