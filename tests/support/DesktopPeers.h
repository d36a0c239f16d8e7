#pragma once
// Stand-ins for the desktop's D-Bus peers of the tray icon and notifications,
// for a test's private session bus (PrivateSessionBus): a StatusNotifierWatcher
// that records what registers with it, and a notification daemon that records
// each notice and can click it. Each has a connection of its own, dispatched,
// like the program's side, on GLib's default main context: the test turns it
// with PumpUntil (or wxWidgets' Yield, which runs the same context).

#include <gio/gio.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "bridge/SessionBus.h"

// Runs GLib's default main context until `done` holds, at most `limit`.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

class DesktopPeer {
 public:
  // Connects to the bus DBUS_SESSION_BUS_ADDRESS names, takes `name` and
  // exports `interfaceXml` (one interface) at `path`.
  DesktopPeer(const char* name, const char* path, const char* interfaceXml);
  virtual ~DesktopPeer();
  DesktopPeer(const DesktopPeer&) = delete;
  DesktopPeer& operator=(const DesktopPeer&) = delete;

  // True once the name is ours.
  bool Ready() const { return m_bReady; }

  // A method call that keeps the default main context turning while it waits
  // (the program's side answers on it). Null with `error` set on failure.
  Variant Call(const std::string& name, const std::string& path, const std::string& interface,
               const std::string& method, GVariant* parameters, const char* replyType,
               std::string* error = nullptr);
  Variant GetProperty(const std::string& name, const std::string& path,
                      const std::string& interface, const std::string& property);

 protected:
  virtual GVariant* OnCall(const char* sender, const char* method, GVariant* parameters) = 0;
  GDBusConnection* Connection() const { return m_pConnection; }

 private:
  GDBusConnection* m_pConnection = nullptr;
  GDBusNodeInfo* m_pInfo = nullptr;
  guint m_nObject = 0;
  bool m_bReady = false;
};

class StatusNotifierWatcherStandIn : public DesktopPeer {
 public:
  StatusNotifierWatcherStandIn();
  ~StatusNotifierWatcherStandIn() override;

  struct Registration {
    std::string sender;   // the unique name that registered
    std::string service;  // what it registered: its bus name
  };
  const std::vector<Registration>& Registrations() const { return m_registrations; }

  // Signal names the registered items sent, in order.
  const std::vector<std::string>& ItemSignals() const { return m_itemSignals; }

 private:
  GVariant* OnCall(const char* sender, const char* method, GVariant* parameters) override;
  std::vector<Registration> m_registrations;
  std::vector<std::string> m_itemSignals;
  guint m_nSubscription = 0;
};

class NotificationDaemonStandIn : public DesktopPeer {
 public:
  NotificationDaemonStandIn();

  struct Notice {
    std::string appName, summary, body;
    std::vector<std::string> actions;
    guint32 id = 0;
  };
  const std::vector<Notice>& Notices() const { return m_notices; }

  // The user clicks notice `id`: ActionInvoked(id, "default").
  void Click(guint32 id);

 private:
  GVariant* OnCall(const char* sender, const char* method, GVariant* parameters) override;
  std::vector<Notice> m_notices;
};
