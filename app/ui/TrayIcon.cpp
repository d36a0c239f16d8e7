#include "app/ui/TrayIcon.h"

#include <wx/image.h>
#include <wx/taskbar.h>

#include "app/desktop/StatusNotifierItem.h"
#include "app/ui/DesktopDisplay.h"
#include "app/ui/MainWnd.h"
#include "config/Settings.h"
#include "skin/BuiltinArtwork.h"
#include "skin/ui/EmbeddedIcon.h"

// The classic icon of an X11 notification area (XEmbed).
class CXEmbedTrayIcon : public wxTaskBarIcon {
 public:
  CXEmbedTrayIcon(CMainWnd& window, TrayPicture picture, const std::string& tip)
      : m_idleIcon(LoadEmbeddedIcon(builtin_art::kTrayIdleIcon)),
        m_picture(picture),
        m_tip(wxString::FromUTF8(tip)) {
    for (std::size_t frame = 0; frame < m_turnIcons.size(); ++frame)
      m_turnIcons[frame] = LoadEmbeddedIcon(builtin_art::kTrayTurnIcons[frame]);
    // The action is taken on the press, not on the release.
    Bind(wxEVT_TASKBAR_LEFT_DOWN, [&window](wxTaskBarIconEvent&) { window.ToggleMinimized(); });
    Bind(wxEVT_TASKBAR_RIGHT_DOWN, [&window](wxTaskBarIconEvent&) { window.ShowPopupMenu(true); });
    // Choices of the popup shown from the tray arrive here, not at the window.
    Bind(wxEVT_MENU, [&window](wxCommandEvent& event) { window.OnMenuChoice(event.GetId()); });
    Update();  // failures to add or change the icon are ignored
  }
  ~CXEmbedTrayIcon() override { RemoveIcon(); }

  void ShowPicture(TrayPicture picture) {
    if (picture == m_picture) return;
    m_picture = picture;
    Update();
  }

  void SetTip(const std::string& tip) {
    const wxString text = wxString::FromUTF8(tip);
    if (text == m_tip) return;
    m_tip = text;
    Update();
  }

 private:
  void Update() {
    const wxIcon& icon =
        m_picture.frame == TrayPicture::kIdle ? m_idleIcon : m_turnIcons[m_picture.frame];
    SetIcon(wxBitmapBundle(icon), m_tip);
  }

  wxIcon m_idleIcon;
  std::array<wxIcon, 8> m_turnIcons;
  TrayPicture m_picture;
  wxString m_tip;
};

namespace {

IconPixels EmbeddedIconPixels(std::string_view name) {
  wxImage image = LoadEmbeddedBitmap(name).ConvertToImage();
  if (!image.IsOk()) return {};
  if (!image.HasAlpha()) image.InitAlpha();
  const auto count =
      static_cast<std::size_t>(image.GetWidth()) * static_cast<std::size_t>(image.GetHeight());
  IconPixels pixels{image.GetWidth(), image.GetHeight(), {}, {}};
  pixels.rgb.assign(image.GetData(), image.GetData() + count * 3);
  if (image.HasAlpha()) pixels.alpha.assign(image.GetAlpha(), image.GetAlpha() + count);
  return pixels;
}

TrayPictures BuiltinTrayPictures() {
  TrayPictures pictures;
  pictures.idle = EmbeddedIconPixels(builtin_art::kTrayIdleIcon);
  for (std::size_t frame = 0; frame < pictures.turn.size(); ++frame)
    pictures.turn[frame] = EmbeddedIconPixels(builtin_art::kTrayTurnIcons[frame]);
  return pictures;
}

// The menu's texts as built, in the order of its items.
TrayMenuTexts MenuTexts(const wxMenu& menu) {
  TrayMenuTexts texts;
  const wxMenuItemList& items = menu.GetMenuItems();
  std::size_t index = 0;
  for (auto node = items.GetFirst(); node && index < texts.size(); node = node->GetNext(), ++index)
    texts[index] = node->GetData()->GetItemLabel().utf8_string();
  return texts;
}

}  // namespace

CTrayIcon::CTrayIcon(CMainWnd& window, GDBusConnection* session, const wxMenu& menu)
    : m_window(window) {
  StatusNotifierItem::Handlers handlers{
      .activate = [&window](const std::string& token) { window.ToggleMinimized(token); },
      .command = [&window](int command) { window.DoCommand(static_cast<std::uint32_t>(command)); },
      .menuState =
          [&window] { return ComputeTrayMenuState(window.m_bMinimized, window.m_bListShown); },
      .shownChanged = [this](bool shown) { OnStatusNotifierShown(shown); }};
  m_pStatusNotifier =
      StatusNotifierItem::Create(session, window.GetTitle().utf8_string(), BuiltinTrayPictures(),
                                 MenuTexts(menu), std::move(handlers));
  UseXEmbedIcon(!m_pStatusNotifier || !m_pStatusNotifier->IsShown());
}

CTrayIcon::~CTrayIcon() = default;

void CTrayIcon::UseXEmbedIcon(bool use) {
  // The XEmbed icon exists only on X11: elsewhere (Wayland) GTK's status icon
  // has no widget to draw on and complains at every change.
  if (use && !m_pXEmbedIcon && DisplayIsX11())
    m_pXEmbedIcon = std::make_unique<CXEmbedTrayIcon>(m_window, m_picture, m_strTip);
  if (!use) m_pXEmbedIcon.reset();
}

void CTrayIcon::OnStatusNotifierShown(bool shown) {
  UseXEmbedIcon(!shown);
  // A window hidden in a tray that is gone would have no way back: it goes
  // to the taskbar, minimised, as where there never was a tray.
  if (shown || !m_window.m_bMinimized || m_window.IsShown() || IsShown()) return;
  m_window.Show();
  m_window.MinimizeWindow();
}

bool CTrayIcon::IsShown() const {
  if (m_pStatusNotifier && m_pStatusNotifier->IsShown()) return true;
  return m_pXEmbedIcon && wxTaskBarIcon::IsAvailable();
}

void CTrayIcon::ShowPicture(TrayPicture picture) {
  m_picture = picture;
  if (m_pStatusNotifier) m_pStatusNotifier->ShowPicture(picture);
  if (m_pXEmbedIcon) m_pXEmbedIcon->ShowPicture(picture);
}

void CTrayIcon::SetTip(const std::string& tip) {
  m_strTip = tip;
  if (m_pStatusNotifier) m_pStatusNotifier->SetTip(tip);
  if (m_pXEmbedIcon) m_pXEmbedIcon->SetTip(tip);
}

void CTrayIcon::PopupMenu(wxMenu& menu) {
  if (m_pXEmbedIcon) m_pXEmbedIcon->PopupMenu(&menu);
}

bool MinimizeHidesToTray(const CTrayIcon* tray) {
  return IsSettingOn("DISP", "TRAY_MINIMIZE") && tray && tray->IsShown();
}
