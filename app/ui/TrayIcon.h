#pragma once
// The main window's icon in the notification area: the idle note with the tip
// "QEM" at first, the turning note while data arrives, the worker's current
// file as its tip. A left press toggles the window between restored and
// minimised, a right press opens the popup menu.

#include <array>
#include <string>

#include <wx/icon.h>
#include <wx/taskbar.h>

#include "app/TrayAnimation.h"

class CMainWnd;

// True when a minimised window leaves the taskbar and lives in the tray alone:
// DISP/TRAY_MINIMIZE is set and the desktop has a notification area to come
// back from. Many desktops have none, and there hiding would leave no way back.
bool MinimizeHidesToTray();

class CTrayIcon : public wxTaskBarIcon {
 public:
  explicit CTrayIcon(CMainWnd& window);
  ~CTrayIcon() override;

  void ShowPicture(TrayPicture picture);
  void SetTip(const std::string& tip);

 private:
  void Update();

  CMainWnd& m_window;
  wxIcon m_idleIcon;
  std::array<wxIcon, 8> m_turnIcons;
  TrayPicture m_picture;
  wxString m_tip = "QEM";
};
