#pragma once
// The user's session D-Bus, as the bridge needs it: method calls and
// properties with a time limit, and who owns which name. GIO's client does the
// work; every call waits at most kSessionCallTimeout.

#include <gio/gio.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

inline constexpr std::chrono::milliseconds kSessionCallTimeout{2000};

// Owns one GVariant reference.
struct VariantUnref {
  void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
using Variant = std::unique_ptr<GVariant, VariantUnref>;

class SessionBus {
 public:
  // Connects to the session bus named by the environment; null with the
  // reason in `error` when there is none.
  static std::unique_ptr<SessionBus> Connect(std::string& error);
  ~SessionBus();
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  // Calls `method` of `interface` on object `path` of `name`. `parameters` is
  // a floating or null GVariant tuple (it is consumed); `replyType` the tuple
  // type expected back, or null for any. Null with `error` set on failure.
  Variant Call(const std::string& name, const std::string& path, const std::string& interface,
               const std::string& method, GVariant* parameters, const char* replyType,
               std::string& error);

  // The value of property `property` of `interface` (org.freedesktop.DBus.Properties.Get).
  Variant GetProperty(const std::string& name, const std::string& path,
                      const std::string& interface, const std::string& property,
                      std::string& error);

  bool HasOwner(const std::string& name);

  // True once the bus has gone (the user's session ended).
  bool IsClosed() const { return g_dbus_connection_is_closed(m_connection); }

  // Every name on the bus, in the bus's order.
  std::vector<std::string> ListNames();

 private:
  explicit SessionBus(GDBusConnection* connection) : m_connection(connection) {}
  GDBusConnection* m_connection;
};
