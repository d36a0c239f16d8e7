#pragma once
// The main window's icon in the notification area: the idle note with the tip
// "QEM" at first, the turning note while data arrives, the worker's current
// file as its tip. A left press toggles the window between restored and
// minimised; the popup menu opens from it.
//
// Which icon: a StatusNotifierItem while the session bus has a
// StatusNotifierWatcher (KDE, GNOME with the AppIndicator extension, the
// Wayland desktops that show tray icons), else the XEmbed icon of
// wxTaskBarIcon where an X11 notification area is, else none, and the window
// minimises to the taskbar. A watcher that comes or goes while the window
// lives switches between them.

#include <gio/gio.h>
#include <wx/menu.h>

#include <memory>
#include <string>

#include "app/TrayAnimation.h"

class CMainWnd;
class CXEmbedTrayIcon;
class StatusNotifierItem;

class CTrayIcon {
 public:
  // `session` (null when there is no session bus) is used only while the
  // icon lives.
  CTrayIcon(CMainWnd& window, GDBusConnection* session, const wxMenu& menu);
  ~CTrayIcon();

  // True while a notification area shows the icon, so a window hidden in the
  // tray can come back.
  bool IsShown() const;

  void ShowPicture(TrayPicture picture);
  void SetTip(const std::string& tip);

  // Pops `menu` up at the XEmbed icon. A StatusNotifierItem's host shows the
  // menu itself, from what the item exports.
  void PopupMenu(wxMenu& menu);

 private:
  // The XEmbed icon while no watcher shows the StatusNotifierItem, on X11.
  void UseXEmbedIcon(bool use);
  void OnStatusNotifierShown(bool shown);

  CMainWnd& m_window;
  TrayPicture m_picture;
  std::string m_strTip = "QEM";
  std::unique_ptr<StatusNotifierItem> m_pStatusNotifier;
  std::unique_ptr<CXEmbedTrayIcon> m_pXEmbedIcon;
};

// True when a minimised window leaves the taskbar and lives in the tray alone:
// DISP/TRAY_MINIMIZE is set and `tray` is shown. Many desktops have no
// notification area, and there hiding would leave no way back.
bool MinimizeHidesToTray(const CTrayIcon* tray);
