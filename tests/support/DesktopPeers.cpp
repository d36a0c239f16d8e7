#include "tests/support/DesktopPeers.h"

#include <cstring>
#include <thread>

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    if (!g_main_context_iteration(nullptr, FALSE))
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

DesktopPeer::DesktopPeer(const char* name, const char* path, const char* interfaceXml) {
  const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
  if (!address) return;
  m_pConnection = g_dbus_connection_new_for_address_sync(
      address,
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, nullptr);
  if (!m_pConnection) return;
  g_dbus_connection_set_exit_on_close(m_pConnection, FALSE);
  m_pInfo = g_dbus_node_info_new_for_xml((std::string("<node>") + interfaceXml + "</node>").c_str(),
                                         nullptr);
  static const GDBusInterfaceVTable table = {
      [](GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar* method,
         GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
        g_dbus_method_invocation_return_value(
            invocation, static_cast<DesktopPeer*>(self)->OnCall(sender, method, parameters));
      },
      nullptr,
      nullptr,
      {}};
  m_nObject = g_dbus_connection_register_object(m_pConnection, path, m_pInfo->interfaces[0], &table,
                                                this, nullptr, nullptr);
  GVariant* reply = g_dbus_connection_call_sync(
      m_pConnection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
      "RequestName", g_variant_new("(su)", name, 4U), G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE,
      5000, nullptr, nullptr);
  guint32 result = 0;
  if (reply) {
    g_variant_get(reply, "(u)", &result);
    g_variant_unref(reply);
  }
  m_bReady = m_nObject != 0 && result == 1;  // primary owner
}

DesktopPeer::~DesktopPeer() {
  if (m_nObject) g_dbus_connection_unregister_object(m_pConnection, m_nObject);
  if (m_pInfo) g_dbus_node_info_unref(m_pInfo);
  if (m_pConnection) {
    g_dbus_connection_close_sync(m_pConnection, nullptr, nullptr);
    g_object_unref(m_pConnection);
  }
}

Variant DesktopPeer::Call(const std::string& name, const std::string& path,
                          const std::string& interface, const std::string& method,
                          GVariant* parameters, const char* replyType, std::string* error) {
  struct Pending {
    bool done = false;
    GVariant* reply = nullptr;
    std::string error;
  } pending;
  g_dbus_connection_call(
      m_pConnection, name.c_str(), path.c_str(), interface.c_str(), method.c_str(), parameters,
      replyType ? G_VARIANT_TYPE(replyType) : nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* pending = static_cast<Pending*>(data);
        GError* failure = nullptr;
        pending->reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &failure);
        if (failure) {
          pending->error = failure->message;
          g_error_free(failure);
        }
        pending->done = true;
      },
      &pending);
  // The call's own 5 s limit ends it; the pump outlasts it, so `pending` is
  // never left behind.
  PumpUntil([&pending] { return pending.done; }, std::chrono::seconds(30));
  if (error) *error = pending.error;
  return Variant(pending.reply);
}

Variant DesktopPeer::GetProperty(const std::string& name, const std::string& path,
                                 const std::string& interface, const std::string& property) {
  Variant reply = Call(name, path, "org.freedesktop.DBus.Properties", "Get",
                       g_variant_new("(ss)", interface.c_str(), property.c_str()), "(v)");
  if (!reply) return nullptr;
  GVariant* value = nullptr;
  g_variant_get(reply.get(), "(v)", &value);
  return Variant(value);
}

StatusNotifierWatcherStandIn::StatusNotifierWatcherStandIn()
    : DesktopPeer("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", R"xml(
      <interface name="org.kde.StatusNotifierWatcher">
        <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
        <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
      </interface>)xml") {
  if (!Connection()) return;
  m_nSubscription = g_dbus_connection_signal_subscribe(
      Connection(), nullptr, "org.kde.StatusNotifierItem", nullptr, nullptr, nullptr,
      G_DBUS_SIGNAL_FLAGS_NONE,
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* signal, GVariant*,
         gpointer self) {
        static_cast<StatusNotifierWatcherStandIn*>(self)->m_itemSignals.emplace_back(signal);
      },
      this, nullptr);
}

StatusNotifierWatcherStandIn::~StatusNotifierWatcherStandIn() {
  if (m_nSubscription) g_dbus_connection_signal_unsubscribe(Connection(), m_nSubscription);
}

GVariant* StatusNotifierWatcherStandIn::OnCall(const char* sender, const char* method,
                                               GVariant* parameters) {
  if (std::strcmp(method, "RegisterStatusNotifierItem") == 0) {
    const gchar* service = nullptr;
    g_variant_get(parameters, "(&s)", &service);
    m_registrations.push_back({sender, service});
  }
  return nullptr;
}

NotificationDaemonStandIn::NotificationDaemonStandIn()
    : DesktopPeer("org.freedesktop.Notifications", "/org/freedesktop/Notifications", R"xml(
      <interface name="org.freedesktop.Notifications">
        <method name="Notify">
          <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
          <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
          <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/>
        </method>
      </interface>)xml") {}

GVariant* NotificationDaemonStandIn::OnCall(const char*, const char*, GVariant* parameters) {
  Notice notice;
  const gchar *appName = nullptr, *summary = nullptr, *body = nullptr;
  GVariantIter* actions = nullptr;
  g_variant_get(parameters, "(&su&s&s&sasa{sv}i)", &appName, nullptr, nullptr, &summary, &body,
                &actions, nullptr, nullptr);
  notice.appName = appName;
  notice.summary = summary;
  notice.body = body;
  for (const gchar* action = nullptr; g_variant_iter_next(actions, "&s", &action);)
    notice.actions.emplace_back(action);
  g_variant_iter_free(actions);
  notice.id = static_cast<guint32>(m_notices.size() + 1);
  m_notices.push_back(notice);
  return g_variant_new("(u)", notice.id);
}

void NotificationDaemonStandIn::Click(guint32 id) {
  g_dbus_connection_emit_signal(Connection(), nullptr, "/org/freedesktop/Notifications",
                                "org.freedesktop.Notifications", "ActionInvoked",
                                g_variant_new("(us)", id, "default"), nullptr);
}
