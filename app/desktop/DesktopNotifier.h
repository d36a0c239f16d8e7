#pragma once
// Desktop notifications (org.freedesktop.Notifications) with a click action.
// Nothing here waits: a notification is sent without awaiting the answer, so
// with no notification daemon on the bus nothing happens and nothing stalls.
// Signals are dispatched to the GLib main context that was the thread's
// default when the notifier was made (on the GUI thread: wxGTK's loop).

#include <gio/gio.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

inline constexpr const char* kNotificationsName = "org.freedesktop.Notifications";

struct DesktopNotice {
  std::string summary;
  std::string body;          // plain text; escaped here for daemons that read markup
  std::string actionLabel;   // empty: the notice cannot be clicked
  std::string actionTarget;  // handed to the click handler when the notice is clicked
};

class DesktopNotifier {
 public:
  using OnClick = std::function<void(const std::string& actionTarget)>;

  // Sends on `connection` (kept referenced); `onClick` runs when the user
  // clicks a notice this notifier sent.
  DesktopNotifier(GDBusConnection* connection, OnClick onClick);
  ~DesktopNotifier();
  DesktopNotifier(const DesktopNotifier&) = delete;
  DesktopNotifier& operator=(const DesktopNotifier&) = delete;

  void Notify(const DesktopNotice& notice);

  // Waits until what was sent has been written to the bus, for a process
  // about to end. The bus is a local socket: this waits only on the kernel.
  void Flush();

 private:
  void OnSent(guint32 id, std::string target);
  void OnSignal(const char* name, GVariant* parameters);

  GDBusConnection* m_pConnection;  // referenced
  OnClick m_onClick;
  GCancellable* m_pCancellable;  // cancelled on destruction, so no answer reaches a dead notifier
  guint m_nSubscription = 0;
  std::map<guint32, std::string> m_targets;  // notices shown, by the daemon's id
};
