#include "app/ui/TrayIcon.h"

#include "app/ui/DesktopDisplay.h"
#include "app/ui/MainWnd.h"
#include "config/Settings.h"
#include "skin/BuiltinArtwork.h"
#include "skin/ui/EmbeddedIcon.h"

bool MinimizeHidesToTray() {
  return IsSettingOn("DISP", "TRAY_MINIMIZE") && wxTaskBarIcon::IsAvailable();
}

CTrayIcon::CTrayIcon(CMainWnd& window) : m_window(window), m_idleIcon(LoadEmbeddedIcon(builtin_art::kTrayIdleIcon)) {
  for (std::size_t frame = 0; frame < m_turnIcons.size(); ++frame)
    m_turnIcons[frame] = LoadEmbeddedIcon(builtin_art::kTrayTurnIcons[frame]);
  // The action is taken on the press, not on the release.
  Bind(wxEVT_TASKBAR_LEFT_DOWN, [this](wxTaskBarIconEvent&) { m_window.ToggleMinimized(); });
  Bind(wxEVT_TASKBAR_RIGHT_DOWN, [this](wxTaskBarIconEvent&) { m_window.ShowPopupMenu(true); });
  // Choices of the popup shown from the tray arrive here, not at the window.
  Bind(wxEVT_MENU, [this](wxCommandEvent& event) { m_window.OnMenuChoice(event.GetId()); });
  Update();  // failures to add or change the icon are ignored
}

CTrayIcon::~CTrayIcon() { RemoveIcon(); }

void CTrayIcon::ShowPicture(TrayPicture picture) {
  if (picture == m_picture) return;
  m_picture = picture;
  Update();
}

void CTrayIcon::SetTip(const std::string& tip) {
  m_tip = wxString::FromUTF8(tip);
  Update();
}

void CTrayIcon::Update() {
  // The XEmbed icon exists only on X11: elsewhere (Wayland) GTK's status icon
  // has no widget to draw on and complains at every change.
  if (!DisplayIsX11()) return;
  const wxIcon& icon = m_picture.frame == TrayPicture::kIdle ? m_idleIcon : m_turnIcons[m_picture.frame];
  SetIcon(wxBitmapBundle(icon), m_tip);
}
