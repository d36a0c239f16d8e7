#include "bridge/SessionBus.h"

namespace {

std::string TakeError(GError* error) {
  std::string text = error ? error->message : "unknown error";
  if (error) g_error_free(error);
  return text;
}

}  // namespace

std::unique_ptr<SessionBus> SessionBus::Connect(std::string& error) {
  // A connection of our own rather than GIO's shared one, which would end the
  // whole process when the bus goes away.
  GError* failure = nullptr;
  gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &failure);
  if (!address) {
    error = "no session bus: " + TakeError(failure);
    return nullptr;
  }
  GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
      address,
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, &failure);
  g_free(address);
  if (!connection) {
    error = "cannot connect to the session bus: " + TakeError(failure);
    return nullptr;
  }
  return std::unique_ptr<SessionBus>(new SessionBus(connection));
}

SessionBus::~SessionBus() { g_object_unref(m_connection); }

Variant SessionBus::Call(const std::string& name, const std::string& path,
                         const std::string& interface, const std::string& method,
                         GVariant* parameters, const char* replyType, std::string& error) {
  GError* failure = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      m_connection, name.c_str(), path.c_str(), interface.c_str(), method.c_str(), parameters,
      replyType ? G_VARIANT_TYPE(replyType) : nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START,
      static_cast<gint>(kSessionCallTimeout.count()), nullptr, &failure);
  if (!reply) error = method + ": " + TakeError(failure);
  return Variant(reply);
}

Variant SessionBus::GetProperty(const std::string& name, const std::string& path,
                                const std::string& interface, const std::string& property,
                                std::string& error) {
  Variant reply = Call(name, path, "org.freedesktop.DBus.Properties", "Get",
                       g_variant_new("(ss)", interface.c_str(), property.c_str()), "(v)", error);
  if (!reply) return nullptr;
  GVariant* value = nullptr;
  g_variant_get(reply.get(), "(v)", &value);
  return Variant(value);
}

bool SessionBus::HasOwner(const std::string& name) {
  std::string error;
  Variant reply = Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                       "NameHasOwner", g_variant_new("(s)", name.c_str()), "(b)", error);
  gboolean owned = FALSE;
  if (reply) g_variant_get(reply.get(), "(b)", &owned);
  return owned;
}

std::vector<std::string> SessionBus::ListNames() {
  std::string error;
  Variant reply = Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                       "ListNames", nullptr, "(as)", error);
  std::vector<std::string> names;
  if (!reply) return names;
  GVariantIter* iterator = nullptr;
  g_variant_get(reply.get(), "(as)", &iterator);
  const gchar* name = nullptr;
  while (g_variant_iter_next(iterator, "&s", &name)) names.emplace_back(name);
  g_variant_iter_free(iterator);
  return names;
}
