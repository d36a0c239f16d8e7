#include "app/desktop/StatusNotifierItem.h"

#include <unistd.h>

#include <atomic>
#include <cstring>
#include <utility>

namespace {

constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kMenuInterface = "com.canonical.dbusmenu";
constexpr gint kWatcherQueryTimeoutMs = 1000;

constexpr const char* kIntrospection = R"xml(<node>
  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="OverlayIconName" type="s" access="read"/>
    <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionMovieName" type="s" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
    <method name="ProvideXdgActivationToken"><arg name="token" type="s" direction="in"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewAttentionIcon"/>
    <signal name="NewOverlayIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg name="status" type="s"/></signal>
  </interface>
  <interface name="com.canonical.dbusmenu">
    <property name="Version" type="u" access="read"/>
    <property name="TextDirection" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="IconThemePath" type="as" access="read"/>
    <method name="GetLayout">
      <arg name="parentId" type="i" direction="in"/><arg name="recursionDepth" type="i" direction="in"/>
      <arg name="propertyNames" type="as" direction="in"/>
      <arg name="revision" type="u" direction="out"/><arg name="layout" type="(ia{sv}av)" direction="out"/>
    </method>
    <method name="GetGroupProperties">
      <arg name="ids" type="ai" direction="in"/><arg name="propertyNames" type="as" direction="in"/>
      <arg name="properties" type="a(ia{sv})" direction="out"/>
    </method>
    <method name="GetProperty">
      <arg name="id" type="i" direction="in"/><arg name="name" type="s" direction="in"/>
      <arg name="value" type="v" direction="out"/>
    </method>
    <method name="Event">
      <arg name="id" type="i" direction="in"/><arg name="eventId" type="s" direction="in"/>
      <arg name="data" type="v" direction="in"/><arg name="timestamp" type="u" direction="in"/>
    </method>
    <method name="EventGroup">
      <arg name="events" type="a(isvu)" direction="in"/><arg name="idErrors" type="ai" direction="out"/>
    </method>
    <method name="AboutToShow">
      <arg name="id" type="i" direction="in"/><arg name="needUpdate" type="b" direction="out"/>
    </method>
    <method name="AboutToShowGroup">
      <arg name="ids" type="ai" direction="in"/>
      <arg name="updatesNeeded" type="ai" direction="out"/><arg name="idErrors" type="ai" direction="out"/>
    </method>
    <signal name="ItemsPropertiesUpdated">
      <arg name="updatedProps" type="a(ia{sv})"/><arg name="removedProps" type="a(ias)"/>
    </signal>
    <signal name="LayoutUpdated"><arg name="revision" type="u"/><arg name="parent" type="i"/></signal>
    <signal name="ItemActivationRequested"><arg name="id" type="i"/><arg name="timestamp" type="u"/></signal>
  </interface>
</node>)xml";

GDBusNodeInfo* Introspection() {
  static GDBusNodeInfo* const info = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
  return info;
}

// Each item of the process takes a bus name of its own, as the protocol asks.
std::string NextBusName() {
  static std::atomic<int> count{0};
  return "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(++count);
}

bool WatcherIsPresent(GDBusConnection* connection) {
  GVariant* reply = g_dbus_connection_call_sync(
      connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
      "NameHasOwner", g_variant_new("(s)", kStatusNotifierWatcherName), G_VARIANT_TYPE("(b)"),
      G_DBUS_CALL_FLAGS_NONE, kWatcherQueryTimeoutMs, nullptr, nullptr);
  if (!reply) return false;
  gboolean owned = FALSE;
  g_variant_get(reply, "(b)", &owned);
  g_variant_unref(reply);
  return owned;
}

GVariant* NoIds() { return g_variant_new_array(G_VARIANT_TYPE_INT32, nullptr, 0); }

GVariant* SinkPixmap(const IconPixels& pixels) {
  return g_variant_ref_sink(IconPixmapVariant(pixels, 2));
}

}  // namespace

std::unique_ptr<StatusNotifierItem> StatusNotifierItem::Create(GDBusConnection* connection,
                                                               const std::string& title,
                                                               const TrayPictures& pictures,
                                                               TrayMenuTexts texts,
                                                               Handlers handlers) {
  if (!connection || !Introspection()) return nullptr;
  std::unique_ptr<StatusNotifierItem> item(
      new StatusNotifierItem(connection, title, pictures, std::move(texts), std::move(handlers)));
  item->m_bWatcherPresent = WatcherIsPresent(connection);
  item->Export();
  if (item->m_nItemObject == 0 || item->m_nMenuObject == 0) return nullptr;
  return item;
}

StatusNotifierItem::StatusNotifierItem(GDBusConnection* connection, const std::string& title,
                                       const TrayPictures& pictures, TrayMenuTexts texts,
                                       Handlers handlers)
    : m_pConnection(G_DBUS_CONNECTION(g_object_ref(connection))),
      m_strTitle(title),
      m_menuTexts(std::move(texts)),
      m_handlers(std::move(handlers)),
      m_strBusName(NextBusName()),
      m_pCancellable(g_cancellable_new()) {
  m_pictures[0] = SinkPixmap(pictures.idle);
  for (std::size_t frame = 0; frame < pictures.turn.size(); ++frame)
    m_pictures[frame + 1] = SinkPixmap(pictures.turn[frame]);
  m_menuState = m_handlers.menuState();
}

StatusNotifierItem::~StatusNotifierItem() {
  g_cancellable_cancel(m_pCancellable);
  if (m_nWatcherWatch) g_bus_unwatch_name(m_nWatcherWatch);
  if (m_nNameOwner) g_bus_unown_name(m_nNameOwner);
  if (m_nItemObject) g_dbus_connection_unregister_object(m_pConnection, m_nItemObject);
  if (m_nMenuObject) g_dbus_connection_unregister_object(m_pConnection, m_nMenuObject);
  for (GVariant* picture : m_pictures) g_variant_unref(picture);
  g_object_unref(m_pCancellable);
  g_object_unref(m_pConnection);
}

void StatusNotifierItem::Export() {
  static const GDBusInterfaceVTable itemTable = {
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
         GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
        static_cast<StatusNotifierItem*>(self)->OnItemCall(method, parameters, invocation);
      },
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* property,
         GError**,
         gpointer self) { return static_cast<StatusNotifierItem*>(self)->ItemProperty(property); },
      nullptr,
      {}};
  static const GDBusInterfaceVTable menuTable = {
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
         GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
        static_cast<StatusNotifierItem*>(self)->OnMenuCall(method, parameters, invocation);
      },
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* property,
         GError**,
         gpointer self) { return static_cast<StatusNotifierItem*>(self)->MenuProperty(property); },
      nullptr,
      {}};
  m_nItemObject = g_dbus_connection_register_object(
      m_pConnection, kStatusNotifierItemPath,
      g_dbus_node_info_lookup_interface(Introspection(), kItemInterface), &itemTable, this, nullptr,
      nullptr);
  m_nMenuObject = g_dbus_connection_register_object(
      m_pConnection, kDbusMenuPath,
      g_dbus_node_info_lookup_interface(Introspection(), kMenuInterface), &menuTable, this, nullptr,
      nullptr);
  if (m_nItemObject == 0 || m_nMenuObject == 0) return;

  m_nNameOwner = g_bus_own_name_on_connection(
      m_pConnection, m_strBusName.c_str(), G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE,
      [](GDBusConnection*, const gchar*, gpointer self) {
        auto* item = static_cast<StatusNotifierItem*>(self);
        item->m_bNameOwned = true;
        item->RegisterWithWatcher();
      },
      [](GDBusConnection*, const gchar*, gpointer self) {
        static_cast<StatusNotifierItem*>(self)->m_bNameOwned = false;
      },
      this, nullptr);
  m_nWatcherWatch = g_bus_watch_name_on_connection(
      m_pConnection, kStatusNotifierWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE,
      [](GDBusConnection*, const gchar*, const gchar*, gpointer self) {
        static_cast<StatusNotifierItem*>(self)->OnWatcher(true);
      },
      [](GDBusConnection*, const gchar*, gpointer self) {
        static_cast<StatusNotifierItem*>(self)->OnWatcher(false);
      },
      this, nullptr);
}

// The watch's first report states what was asked at creation; a change
// after that is told to the host.
void StatusNotifierItem::OnWatcher(bool present) {
  const bool changed = present != m_bWatcherPresent;
  m_bWatcherPresent = m_bWatcherSeen = present;
  if (present) RegisterWithWatcher();
  if (changed && m_handlers.shownChanged) m_handlers.shownChanged(present);
}

// Made when both the name is ours and a watcher is there, whichever comes
// last; no answer is awaited (a watcher that refuses leaves no icon, as a
// failed tray icon always has).
void StatusNotifierItem::RegisterWithWatcher() {
  if (!m_bNameOwned || !m_bWatcherSeen) return;
  g_dbus_connection_call(m_pConnection, kStatusNotifierWatcherName, "/StatusNotifierWatcher",
                         kStatusNotifierWatcherName, "RegisterStatusNotifierItem",
                         g_variant_new("(s)", m_strBusName.c_str()), nullptr,
                         G_DBUS_CALL_FLAGS_NONE, -1, m_pCancellable, nullptr, nullptr);
}

void StatusNotifierItem::EmitItemSignal(const char* name, GVariant* parameters) {
  g_dbus_connection_emit_signal(m_pConnection, nullptr, kStatusNotifierItemPath, kItemInterface,
                                name, parameters, nullptr);
}

void StatusNotifierItem::ShowPicture(TrayPicture picture) {
  if (picture == m_picture) return;
  m_picture = picture;
  if (m_bWatcherPresent) EmitItemSignal("NewIcon", nullptr);
}

void StatusNotifierItem::SetTip(const std::string& tip) {
  if (tip == m_strTip) return;
  m_strTip = tip;
  if (m_bWatcherPresent) EmitItemSignal("NewToolTip", nullptr);
}

GVariant* StatusNotifierItem::ItemProperty(const char* name) const {
  const auto is = [name](const char* wanted) { return std::strcmp(name, wanted) == 0; };
  if (is("Category")) return g_variant_new_string("ApplicationStatus");
  if (is("Id")) return g_variant_new_string("tunefetch");
  if (is("Title")) return g_variant_new_string(m_strTitle.c_str());
  if (is("Status")) return g_variant_new_string("Active");
  if (is("WindowId")) return g_variant_new_int32(0);
  if (is("IconPixmap"))
    return g_variant_ref(
        m_pictures[m_picture.frame == TrayPicture::kIdle ? 0 : m_picture.frame + 1]);
  if (is("OverlayIconPixmap") || is("AttentionIconPixmap")) return NoIconPixmap();
  if (is("ToolTip"))
    return g_variant_new("(s@a(iiay)ss)", "", NoIconPixmap(), m_strTip.c_str(), "");
  if (is("ItemIsMenu")) return g_variant_new_boolean(FALSE);
  if (is("Menu")) return g_variant_new_object_path(kDbusMenuPath);
  return g_variant_new_string("");  // the icon, overlay and attention names, the movie: none
}

// A middle click (SecondaryActivate) and the wheel (Scroll) do nothing, as
// on the XEmbed icon. ContextMenu does nothing either: hosts show the
// exported menu themselves, and a popup of the program's own, opened for a
// call from the bus, has no input event of the program's to be anchored to
// (Wayland refuses it) and no shown window to open over while the window is
// hidden in the tray.
void StatusNotifierItem::OnItemCall(const char* method, GVariant* parameters,
                                    GDBusMethodInvocation* invocation) {
  // Answered first: what the click does may take a while (a window shown).
  g_dbus_method_invocation_return_value(invocation, nullptr);
  if (std::strcmp(method, "ProvideXdgActivationToken") == 0) {
    const gchar* token = nullptr;
    g_variant_get(parameters, "(&s)", &token);
    m_strActivationToken = token;
  } else if (std::strcmp(method, "Activate") == 0) {
    // A token is good for one activation.
    const std::string token = std::exchange(m_strActivationToken, {});
    if (m_handlers.activate) m_handlers.activate(token);
  }
}

GVariant* StatusNotifierItem::MenuProperty(const char* name) const {
  if (std::strcmp(name, "Version") == 0) return g_variant_new_uint32(3);
  if (std::strcmp(name, "TextDirection") == 0) return g_variant_new_string("ltr");
  if (std::strcmp(name, "Status") == 0) return g_variant_new_string("normal");
  return g_variant_new_strv(nullptr, 0);  // IconThemePath
}

// True when the states changed since the host last read them; the revision
// then moves on.
bool StatusNotifierItem::UpdateMenuState() {
  const TrayMenuState state = m_handlers.menuState();
  if (state == m_menuState) return false;
  m_menuState = state;
  ++m_nMenuRevision;
  return true;
}

void StatusNotifierItem::OnMenuCall(const char* method, GVariant* parameters,
                                    GDBusMethodInvocation* invocation) {
  const auto is = [method](const char* wanted) { return std::strcmp(method, wanted) == 0; };
  const auto refuse = [invocation](const char* why) {
    g_dbus_method_invocation_return_error_literal(invocation, G_DBUS_ERROR,
                                                  G_DBUS_ERROR_INVALID_ARGS, why);
  };
  if (is("GetLayout")) {
    gint32 parent = 0, depth = 0;
    g_variant_get(parameters, "(ii@as)", &parent, &depth, nullptr);
    UpdateMenuState();
    GVariant* layout = DbusMenuLayout(parent, depth, m_nMenuRevision, m_menuTexts, m_menuState);
    if (!layout) return refuse("no such menu item");
    return g_dbus_method_invocation_return_value(invocation, layout);
  }
  if (is("GetGroupProperties")) {
    GVariant* ids = g_variant_get_child_value(parameters, 0);
    UpdateMenuState();
    g_dbus_method_invocation_return_value(invocation,
                                          DbusMenuGroupProperties(ids, m_menuTexts, m_menuState));
    return g_variant_unref(ids);
  }
  if (is("GetProperty")) {
    gint32 itemId = 0;
    const gchar* name = nullptr;
    g_variant_get(parameters, "(i&s)", &itemId, &name);
    GVariant* properties = DbusMenuItemProperties(itemId, m_menuTexts, m_menuState);
    GVariant* value = properties
                          ? g_variant_lookup_value(g_variant_ref_sink(properties), name, nullptr)
                          : nullptr;
    if (properties) g_variant_unref(properties);
    if (!value) return refuse("no such menu item or property");
    g_dbus_method_invocation_return_value(invocation,
                                          g_variant_new("(@v)", g_variant_new_variant(value)));
    return g_variant_unref(value);
  }
  if (is("AboutToShow")) {
    // The host asks before it shows the menu: the moment the states are
    // worked out afresh, as before every showing of the popup.
    const bool changed = UpdateMenuState();
    if (changed)
      g_dbus_connection_emit_signal(m_pConnection, nullptr, kDbusMenuPath, kMenuInterface,
                                    "LayoutUpdated", g_variant_new("(ui)", m_nMenuRevision, 0),
                                    nullptr);
    return g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", changed));
  }
  if (is("AboutToShowGroup")) {
    const bool changed = UpdateMenuState();
    GVariantBuilder updates;
    g_variant_builder_init(&updates, G_VARIANT_TYPE("ai"));
    if (changed) g_variant_builder_add(&updates, "i", kDbusMenuRootId);
    return g_dbus_method_invocation_return_value(invocation,
                                                 g_variant_new("(ai@ai)", &updates, NoIds()));
  }
  if (is("Event")) {
    gint32 itemId = 0;
    const gchar* eventId = nullptr;
    g_variant_get(parameters, "(i&svu)", &itemId, &eventId, nullptr, nullptr);
    const std::string event = eventId;
    g_dbus_method_invocation_return_value(invocation, nullptr);
    return OnMenuEvent(itemId, event.c_str());
  }
  if (is("EventGroup")) {
    GVariantIter* events = nullptr;
    g_variant_get(parameters, "(a(isvu))", &events);
    std::vector<std::pair<int, std::string>> chosen;
    gint32 itemId = 0;
    const gchar* eventId = nullptr;
    while (g_variant_iter_next(events, "(i&svu)", &itemId, &eventId, nullptr, nullptr))
      chosen.emplace_back(itemId, eventId);
    g_variant_iter_free(events);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(@ai)", NoIds()));
    for (const auto& [id, event] : chosen) OnMenuEvent(id, event.c_str());
    return;
  }
  refuse("unknown method");
}

void StatusNotifierItem::OnMenuEvent(int itemId, const char* eventId) {
  if (std::strcmp(eventId, "clicked") != 0) return;
  if (const std::optional<int> command = DbusMenuCommand(itemId); command && m_handlers.command)
    m_handlers.command(*command);
}
