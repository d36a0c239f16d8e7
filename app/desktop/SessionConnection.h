#pragma once
// A connection of the program's own to the user's session D-Bus, for the tray
// icon and desktop notifications. Own rather than GIO's shared one, which
// would end the whole process when the bus goes away.

#include <gio/gio.h>

#include <memory>

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
using SessionConnection = std::unique_ptr<GDBusConnection, GObjectUnref>;

// Connects to the bus that DBUS_SESSION_BUS_ADDRESS names, else to
// $XDG_RUNTIME_DIR/bus when that socket exists. Null when there is neither:
// no bus daemon is ever started for the program (GIO's autolaunch would leave
// one behind). Connecting to a local socket does not wait on anyone else.
SessionConnection ConnectToSessionBus();
