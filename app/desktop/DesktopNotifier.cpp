#include "app/desktop/DesktopNotifier.h"

#include <cstring>

#include "platform/XmlText.h"

namespace {

constexpr const char* kNotificationsPath = "/org/freedesktop/Notifications";
constexpr const char* kDefaultAction = "default";

}  // namespace

DesktopNotifier::DesktopNotifier(GDBusConnection* connection, OnClick onClick)
    : m_pConnection(G_DBUS_CONNECTION(g_object_ref(connection))),
      m_onClick(std::move(onClick)),
      m_pCancellable(g_cancellable_new()) {
  m_nSubscription = g_dbus_connection_signal_subscribe(
      m_pConnection, nullptr, kNotificationsName, nullptr, kNotificationsPath, nullptr,
      G_DBUS_SIGNAL_FLAGS_NONE,
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* name,
         GVariant* parameters,
         gpointer self) { static_cast<DesktopNotifier*>(self)->OnSignal(name, parameters); },
      this, nullptr);
}

DesktopNotifier::~DesktopNotifier() {
  g_cancellable_cancel(m_pCancellable);
  g_dbus_connection_signal_unsubscribe(m_pConnection, m_nSubscription);
  g_object_unref(m_pCancellable);
  g_object_unref(m_pConnection);
}

void DesktopNotifier::Notify(const DesktopNotice& notice) {
  GVariantBuilder actions;
  g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
  if (!notice.actionLabel.empty()) {
    g_variant_builder_add(&actions, "s", kDefaultAction);
    g_variant_builder_add(&actions, "s", notice.actionLabel.c_str());
  }
  GVariantBuilder hints;
  g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
  // Daemons that read markup would take a "<" or "&" in a folder name as
  // markup.
  const std::string body = XmlEscaped(notice.body);
  struct Pending {
    DesktopNotifier* notifier;
    std::string target;
  };
  g_dbus_connection_call(
      m_pConnection, kNotificationsName, kNotificationsPath, kNotificationsName, "Notify",
      g_variant_new("(susssasa{sv}i)", "Tunefetch", 0U, "folder-download", notice.summary.c_str(),
                    body.c_str(), &actions, &hints, -1),
      G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, m_pCancellable,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
        GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
        if (!reply) return;  // no daemon, or the notifier is gone (cancelled): nothing to do
        guint32 id = 0;
        g_variant_get(reply, "(u)", &id);
        g_variant_unref(reply);
        pending->notifier->OnSent(id, std::move(pending->target));
      },
      new Pending{this, notice.actionTarget});
}

void DesktopNotifier::Flush() { g_dbus_connection_flush_sync(m_pConnection, nullptr, nullptr); }

void DesktopNotifier::OnSent(guint32 id, std::string target) { m_targets[id] = std::move(target); }

void DesktopNotifier::OnSignal(const char* name, GVariant* parameters) {
  if (std::strcmp(name, "ActionInvoked") == 0 &&
      g_variant_is_of_type(parameters, G_VARIANT_TYPE("(us)"))) {
    guint32 id = 0;
    const gchar* action = nullptr;
    g_variant_get(parameters, "(u&s)", &id, &action);
    const auto found = m_targets.find(id);
    if (found == m_targets.end() || std::strcmp(action, kDefaultAction) != 0) return;
    const std::string target = found->second;
    m_targets.erase(found);
    if (m_onClick) m_onClick(target);
  } else if (std::strcmp(name, "NotificationClosed") == 0 &&
             g_variant_is_of_type(parameters, G_VARIANT_TYPE("(uu)"))) {
    guint32 id = 0;
    g_variant_get(parameters, "(uu)", &id, nullptr);
    m_targets.erase(id);
  }
}
