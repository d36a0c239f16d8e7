#include "app/ui/MainWnd.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include "app/RunningInstance.h"
#include "app/TrayMenu.h"
#include "app/ui/DesktopDisplay.h"
#include "app/ui/MainWndHost.h"
#include "app/ui/MainWndObserver.h"
#include "app/ui/RunEndNotifier.h"
#include "app/ui/TrayIcon.h"
#include "app/ui/WindowActivation.h"
#include "app/ui/WindowMoveDrag.h"
#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "config/ui/CatalogMessageBox.h"
#include "config/ui/ModalRun.h"
#include "core/DownloadCore.h"
#include "skin/BuiltinArtwork.h"
#include "skin/PanelGeometry.h"
#include "skin/Skin.h"
#include "skin/ui/DownloadListWnd.h"
#include "skin/ui/EmbeddedIcon.h"
#include "skin/ui/PictureConversion.h"
#include "skin/ui/SkinBitmaps.h"
#include "skin/ui/SkinPanels.h"
#include "skin/ui/TransButton.h"

namespace {

// The frame has no border, caption or buttons of the window system's own,
// but can be minimised and shows in the taskbar.
constexpr long kMainWndStyle = wxBORDER_NONE | wxMINIMIZE_BOX | wxSYSTEM_MENU | wxCLIP_CHILDREN;

}  // namespace

CMainWnd::CMainWnd(CDownloadCore& app, MainWndHost& host, WindowPlace place, bool listShown)
    : wxFrame(nullptr, wxID_ANY,
              wxString::FromUTF8(kMainWindowTitle.data(), kMainWindowTitle.size()),
              wxPoint(place.left, place.top), wxDefaultSize, kMainWndStyle),
      m_bListShown(listShown),
      m_defaultAttributes(wxFrame::GetDefaultAttributes()),
      m_app(app),
      m_host(host),
      m_timer(this),
      m_timerSteps(app, [this](TrayPicture picture) {
        if (m_pTrayIcon) m_pTrayIcon->ShowPicture(picture);
      }) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);  // the paint handler covers every pixel
  wxIconBundle icons;
  icons.AddIcon(LoadEmbeddedIcon(builtin_art::kAppIcon16));
  icons.AddIcon(LoadEmbeddedIcon(builtin_art::kAppIcon32));
  SetIcons(icons);
  const WindowSize size = MainWindowSize(GetSkin(), m_bListShown);
  SetClientSize(size.width, size.height);
  Move(place.left, place.top);

  CreateChildren();
  BuildPopupMenu();  // before the tray icon, which exports its items
  m_pSession = ConnectToSessionBus();
  m_pTrayIcon = std::make_unique<CTrayIcon>(*this, m_pSession.get(), m_popupMenu);
  m_pRunEndNotifier = std::make_unique<CRunEndNotifier>(m_pSession.get());
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
    m_timerSteps.Tick();
    m_pRunEndNotifier->Tick(m_app.IsWorkerRunning(), m_bMinimized);
  });
  m_timer.Start(kMainWndTimerMilliseconds);

  Bind(wxEVT_PAINT, &CMainWnd::OnPaint, this);
  Bind(wxEVT_CLOSE_WINDOW, &CMainWnd::OnClose, this);
  Bind(wxEVT_ICONIZE, &CMainWnd::OnIconize, this);
  Bind(wxEVT_LEFT_DOWN, &CMainWnd::OnBackgroundLeftDown, this);
  Bind(wxEVT_MOTION, [this](wxMouseEvent& event) {
    m_pointer = event.GetPosition();
    UpdateStatusTip();
    event.Skip();
  });
  Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& event) {
    m_pointer = wxDefaultPosition;
    UpdateStatusTip();
    event.Skip();
  });
  Bind(wxEVT_CONTEXT_MENU, [](wxContextMenuEvent&) {});  // right clicks show nothing
  Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent&) {
    if (m_pListView) m_pListView->SetFocus();
  });
  Bind(wxEVT_BUTTON,
       [this](wxCommandEvent& event) { DoCommand(static_cast<std::uint32_t>(event.GetId())); });
  Bind(wxEVT_MENU, [this](wxCommandEvent& event) { OnMenuChoice(event.GetId()); });

  m_pObserver = std::make_shared<MainWndObserver>(*this);
  m_app.SetObserver(m_pObserver);

  BusError error = BusError::None;
  m_pBusWindow = BusWindow::Create(
      kMainWindowClass, kMainWindowTitle, WindowVisibility::Hidden,
      [this](const BusMessage& message) { return OnBusMessage(message); },
      &m_host.BusHandlerThread(), error);
}

CMainWnd::~CMainWnd() {
  m_pBusWindow.reset();
  m_pObserver->Detach();
  m_app.SetObserver(nullptr);
  m_timer.Stop();
  m_pTrayIcon.reset();
}

void CMainWnd::CreateChildren() {
  const Skin& skin = GetSkin();
  // In the order the buttons take the keyboard focus.
  const struct {
    const SkinPicture& picture;
    int id;
  } buttons[] = {{skin.sysButton, IDC_SYSBUTTON},
                 {skin.close, IDC_CLOSE},
                 {skin.minimize, IDC_MINIMIZE},
                 {skin.open, IDC_OPEN},
                 {skin.skip, IDC_SKIP}};
  for (const auto& button : buttons)
    (new CTransButton)
        ->Create(button.picture.bitmap, button.picture.x, button.picture.y, this, button.id);

  const SkinDownloadList& list = skin.downloadList;
  m_pListView = new CDownloadListWnd;
  m_pListView->Create(m_app.m_queue, wxRect(list.x, list.y, list.w, list.h), this,
                      IDC_DOWNLOADLIST);
}

// wxWidgets menu ids stop below 0x7FFF, which "Restore" (32775) is not, so
// each item gets an id of its own and its choice is turned back into the
// command.
int CMainWnd::MenuItemId(int command) {
  for (std::size_t index = 0; index < kTrayMenuItems.size(); ++index)
    if (kTrayMenuItems[index].command == command) return kFirstMenuItemId + static_cast<int>(index);
  return wxID_NONE;
}

void CMainWnd::OnMenuChoice(int menuItemId) {
  const int index = menuItemId - kFirstMenuItemId;
  if (index >= 0 && static_cast<std::size_t>(index) < kTrayMenuItems.size())
    DoCommand(static_cast<std::uint32_t>(kTrayMenuItems[static_cast<std::size_t>(index)].command));
}

void CMainWnd::BuildPopupMenu() {
  for (const TrayMenuItem& item : kTrayMenuItems) {
    if (item.command == 0) {
      m_popupMenu.AppendSeparator();
      continue;
    }
    const wxString text = wxString::FromUTF8(GetMessageText(item.messageKey));
    if (item.command == IDC_OPEN)
      m_popupMenu.AppendCheckItem(MenuItemId(item.command), text);
    else
      m_popupMenu.Append(MenuItemId(item.command), text);
  }
}

void CMainWnd::UpdateTrayMenu() {
  const TrayMenuState state = ComputeTrayMenuState(m_bMinimized, m_bListShown);
  m_popupMenu.Enable(MenuItemId(IDC_RESTORE), state.restoreEnabled);
  m_popupMenu.Enable(MenuItemId(IDC_MINIMIZE), state.minimizeEnabled);
  m_popupMenu.Enable(MenuItemId(IDC_OPEN), state.openEnabled);
  m_popupMenu.Check(MenuItemId(IDC_OPEN), state.openChecked);
  // GTK menus have no default item to show in bold (see docs/linux-choices.md).
}

void CMainWnd::ShowPopupMenu(bool fromTray) {
  UpdateTrayMenu();
  if (fromTray && m_pTrayIcon) {
    m_pTrayIcon->PopupMenu(m_popupMenu);
    return;
  }
  PopupMenu(&m_popupMenu, ScreenToClient(wxGetMousePosition()));
}

bool CMainWnd::Show(bool show) {
  const bool changed = wxFrame::Show(show);
  if (m_pBusWindow)
    m_pBusWindow->SetVisibility(show ? WindowVisibility::Shown : WindowVisibility::Hidden);
  return changed;
}

void CMainWnd::MinimizeWindow() {
  Iconize(true);
  // The iconize notification does this where a window manager sends one;
  // without a window manager none comes.
  EnterMinimized();
}

bool CMainWnd::EnterMinimized() {
  m_bMinimized = true;
  if (!MinimizeHidesToTray(m_pTrayIcon.get())) return false;
  Hide();
  return true;
}

void CMainWnd::RestoreFromTray(const std::string& activationToken) {
  Show();
  Iconize(false);
  m_bMinimized = false;
  PresentWithActivationToken(*this, activationToken);
}

void CMainWnd::ToggleMinimized(const std::string& activationToken) {
  if (m_bMinimized)
    RestoreFromTray(activationToken);
  else
    MinimizeWindow();
}

void CMainWnd::OnIconize(wxIconizeEvent& event) {
  if (event.IsIconized())
    EnterMinimized();
  else
    m_bMinimized = false;
}

void CMainWnd::ToggleList() {
  m_bListShown = !m_bListShown;
  ResizeForListState();
}

void CMainWnd::ResizeForListState() {
  const WindowSize size = MainWindowSize(GetSkin(), m_bListShown);
  SetClientSize(size.width, size.height);
  Refresh(false);
}

void CMainWnd::DoCommand(std::uint32_t command) { Act(CommandAction(command)); }

void CMainWnd::Act(MainWndAction action) {
  switch (action) {
    case MainWndAction::Close:
      CallAfter([this] { Close(); });
      break;
    case MainWndAction::Minimize:
      MinimizeWindow();
      break;
    case MainWndAction::Skip:
      m_app.Skip();
      break;
    case MainWndAction::ToggleList:
      ToggleList();
      break;
    case MainWndAction::ShowPopupMenu:
      ShowPopupMenu(false);
      break;
    case MainWndAction::Restore:
      RestoreFromTray();
      break;
    case MainWndAction::Setup:
      m_host.RunSetupSheetOnBus();
      break;
    case MainWndAction::None:
      break;
  }
}

std::int64_t CMainWnd::OnBusMessage(const BusMessage& message) {
  switch (message.message) {
    case WM_HANDOVER:
      if (message.lParam == kHandOverList) {
        const std::optional<std::string> path = TakeHandedOverList(message.wParam);
        if (!path) return 0;
        m_app.LoadDownloadList(*path);
        return kHandOverTaken;
      }
      // The sheet is modal: opened after the answer, so the sender is not held.
      if (message.lParam == kHandOverSetup) CallAfter([this] { m_host.RunSetupSheetOnBus(); });
      return 0;
    case WM_COPYDATA:
      if (auto token = ReceivedActivationToken(message)) m_strActivationToken = std::move(*token);
      return 0;
    case kBringToFrontMessage:
      // A window hidden in the tray stays there: only a shown one comes up.
      if (IsShown() && !IsIconized()) PresentWithActivationToken(*this, m_strActivationToken);
      m_strActivationToken.clear();
      return 0;
    case WM_CLOSE:
      CallAfter([this] { Close(); });
      return 0;
    case kCommandMessage:
      DoCommand(static_cast<std::uint32_t>(message.wParam));
      return 0;
    case kSystemCommandMessage:
      Act(SystemCommandAction(static_cast<std::uint32_t>(message.wParam)));
      return 0;
    default:
      return 0;
  }
}

// wxWidgets' top-level Refresh redraws the whole frame, its children
// included, whatever rectangle it is given; the plain window's Refresh
// invalidates only the panel's rectangle.
void CMainWnd::RefreshPanel(const PanelRect& box) {
  const wxRect area(box.x, box.y, box.w, box.h);
  wxWindow::Refresh(false, &area);
}

// The timer sets the indicator and, while idle, the status at every tick; a
// value the screen already shows is not painted again, which keeps an idle
// window idle.
void CMainWnd::DrawCurrentFilePanel() {
  if (m_app.GetCurrentFileText() != m_painted.currentFile)
    RefreshPanel(CurrentFilePanelRect(GetSkin()));
}
void CMainWnd::DrawStatusPanel() {
  if (m_app.GetStatusText() != m_painted.status) RefreshPanel(StatusPanelRect(GetSkin()));
  UpdateStatusTip();
}

void CMainWnd::UpdateStatusTip() {
  const PanelRect box = StatusPanelRect(GetSkin());
  const bool over = wxRect(box.x, box.y, box.w, box.h).Contains(m_pointer);
  const wxString tip = over ? wxString::FromUTF8(m_app.GetStatusReason()) : wxString();
  if (tip == GetToolTipText()) return;
  if (tip.empty()) {
    UnsetToolTip();
  } else {
    SetToolTip(tip);
  }
}
void CMainWnd::DrawProgressPanel() {
  if (m_app.m_nProgress != m_painted.progress) RefreshPanel(ProgressPanelRect(GetSkin()));
}
void CMainWnd::DrawIndicatorPanel() {
  if (m_app.m_nIndicatorFrame != m_painted.indicatorFrame)
    RefreshPanel(IndicatorPanelRect(GetSkin()));
}

void CMainWnd::OnItemAppended() {
  if (m_pListView) m_pListView->OnItemAppended();
}
void CMainWnd::OnHeadItemRemoved() {
  if (m_pListView) m_pListView->OnHeadItemRemoved();
}

void CMainWnd::SetTrayTip(const std::string& tip) {
  if (m_pTrayIcon) m_pTrayIcon->SetTip(tip);
}

void CMainWnd::OnItemDone(ItemOutcome outcome) { m_pRunEndNotifier->OnItemDone(outcome); }

void CMainWnd::CloseAfterRun() {
  m_pRunEndNotifier->OnRunClosesWindow(m_bMinimized);
  Close();
}

void CMainWnd::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  PaintFace(dc, GetUpdateRegion().GetBox());
}

void CMainWnd::DrawTo(wxDC& dc) {
  PaintFace(dc, wxRect(GetClientSize()));
  for (wxWindow* child : GetChildren()) {
    if (!child->IsShown()) continue;
    const wxPoint at = child->GetPosition();
    dc.SetDeviceOrigin(at.x, at.y);
    dc.SetClippingRegion(wxPoint(0, 0), child->GetSize());
    if (auto* button = dynamic_cast<CTransButton*>(child)) button->DrawTo(dc);
    if (auto* list = dynamic_cast<CDownloadListWnd*>(child)) list->DrawTo(dc);
    dc.DestroyClippingRegion();
  }
  dc.SetDeviceOrigin(0, 0);
}

// Only what `area` covers is drawn: a panel's repaint then costs that panel,
// not the whole face. The values of the panels drawn are kept as painted.
void CMainWnd::PaintFace(wxDC& dc, const wxRect& area) {
  const PixelImage& facePicture = GetSkin().main.bitmap;
  const wxBitmap& face = SkinBitmap(facePicture, DeviceScaleOf(dc));
  wxMemoryDC source;
  source.SelectObjectAsSource(face);
  dc.Blit(area.x, area.y, area.width, area.height, &source, area.x, area.y);
  if (!m_bListShown) {
    // The shortened window keeps the background's bottom edge.
    const wxSize client = GetClientSize();
    const wxRect edge(0, client.GetHeight() - kSmallModeEdgeRows, client.GetWidth(),
                      kSmallModeEdgeRows);
    if (edge.Intersects(area))
      dc.Blit(edge.x, edge.y, edge.width, edge.height, &source, 0,
              facePicture.Height() - kSmallModeEdgeRows);
  }
  const Skin& skin = GetSkin();
  const auto covers = [&area](const PanelRect& box) {
    return area.Intersects(wxRect(box.x, box.y, box.w, box.h));
  };
  if (covers(CurrentFilePanelRect(skin)))
    PaintCurrentFilePanel(dc, m_painted.currentFile = m_app.GetCurrentFileText());
  if (covers(StatusPanelRect(skin))) PaintStatusPanel(dc, m_painted.status = m_app.GetStatusText());
  if (covers(ProgressPanelRect(skin)))
    PaintProgressPanel(dc, m_painted.progress = m_app.m_nProgress);
  if (covers(IndicatorPanelRect(skin)))
    PaintIndicatorPanel(dc, m_painted.indicatorFrame = m_app.m_nIndicatorFrame);
}

void CMainWnd::OnBackgroundLeftDown(wxMouseEvent& event) {
  const wxPoint screen = ClientToScreen(event.GetPosition());
  BeginWindowMoveDrag(*this, screen.x, screen.y);
}

void CMainWnd::OnClose(wxCloseEvent&) {
  if (m_app.m_bClosing) return;  // a second close (the worker's and the user's) while going
  m_app.m_bClosing = true;       // from here on the panel setters do nothing
  m_pObserver->Detach();         // and questions of the worker are answered at once
  m_app.Stop();
  m_app.SetCurrentFileText("");
  WriteSettingInt("DISP", "SMALL_START", m_bListShown ? 0 : 1);
  // Where the platform does not tell a window its place (Wayland), the
  // stored one stays, as for a minimised window.
  if (!m_bMinimized)
    if (const std::optional<wxPoint> place = KnownWindowPosition(*this))
      WriteSetting("DISP", "POSITION", FormatWindowPosition({place->x, place->y}));
  // A start from now on no longer finds this window; the process may live on
  // a little, without a window, until the worker has seen the run flag.
  m_pBusWindow.reset();
  m_timer.Stop();
  m_pTrayIcon.reset();
  // A question shown over the window (the worker's, or one asked here) is
  // answered No or OK and goes first: the box must not outlive its parent.
  AnswerShownMessageBoxes([this] {
    Destroy();
    m_host.QuitWhenWorkerEnds();
  });
}
