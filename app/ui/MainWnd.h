#pragma once
// The program's window in downloader mode: a frameless window whose face is
// the skin's background, with the five skin buttons, the download list view
// and the four panels painted onto it. It is dragged by its background,
// switches between large mode and small mode (the list area hidden), polls
// the download state four times a second, lives in the tray, takes lists
// handed over by a second start, and on closing stops the worker and keeps
// its mode and position.
//
// Everything here runs on the GUI thread; what the worker reports arrives
// through MainWndObserver.

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/timer.h>

#include <memory>
#include <string>

#include "app/MainWndCommands.h"
#include "app/MainWndGeometry.h"
#include "app/MainWndTimer.h"
#include "app/desktop/SessionConnection.h"
#include "core/DownloadObserver.h"
#include "platform/bus/BusWindow.h"
#include "skin/PanelGeometry.h"

class CDownloadCore;
class CDownloadListWnd;
class MainWndHost;
class CTrayIcon;
class CRunEndNotifier;
class MainWndObserver;

class CMainWnd : public wxFrame {
 public:
  // Creates the window at `place` in the mode `listShown`, not yet shown, and
  // registers it on the desktop bus (findable once this returns).
  CMainWnd(CDownloadCore& app, MainWndHost& host, WindowPlace place, bool listShown);
  ~CMainWnd() override;

  // Shown and hidden windows alike stay findable; the bus entry says which.
  bool Show(bool show = true) override;

  // The theme's colours and font as GTK gave them when the window was made.
  // Every paint's device context asks for them, and GTK's style lookup costs
  // more than repainting a panel.
  wxVisualAttributes GetDefaultAttributes() const override { return m_defaultAttributes; }

  // Repaint one panel's rectangle from the stored value.
  void DrawCurrentFilePanel();
  void DrawStatusPanel();
  void DrawProgressPanel();
  void DrawIndicatorPanel();

  // The queue grew at its end / lost its head.
  void OnItemAppended();
  void OnHeadItemRemoved();

  void SetTrayTip(const std::string& tip);
  // The worker is done with an item. Any thread.
  void OnItemDone(ItemOutcome outcome);
  // The worker's run has ended and AUTO_CLOSE closes the window.
  void CloseAfterRun();

  void MinimizeWindow();
  // Marks the window minimised and hides it when minimising goes to the
  // tray; true when it did.
  bool EnterMinimized();
  // Shown, restored and brought forward, with the activation token of the
  // click that asked for it where the desktop gave one.
  void RestoreFromTray(const std::string& activationToken = {});
  void ToggleList();
  // The popup menu at the cursor: from the tray or from the SysButton.
  void ShowPopupMenu(bool fromTray);
  // The tray icon's left press: restore when minimised, else minimise.
  void ToggleMinimized(const std::string& activationToken = {});

  // Runs a command of the window's command table.
  void DoCommand(std::uint32_t command);
  // A choice from the popup menu, by its wxWidgets item id.
  void OnMenuChoice(int menuItemId);

  // Paints the whole window, children included, into `dc` at (0, 0): what the
  // screen shows. For screenshots; the screen itself is painted per window.
  void DrawTo(wxDC& dc);

  bool m_bListShown;
  bool m_bMinimized = false;

 private:
  void CreateChildren();
  static constexpr int kFirstMenuItemId = wxID_HIGHEST + 1;
  static int MenuItemId(int command);
  void BuildPopupMenu();
  void UpdateTrayMenu();
  void ResizeForListState();
  void Act(MainWndAction action);
  void RefreshPanel(const PanelRect& box);
  std::int64_t OnBusMessage(const BusMessage& message);

  // The face within `area`: background, small mode's bottom edge, then the
  // four panels.
  void PaintFace(wxDC& dc, const wxRect& area);
  void OnPaint(wxPaintEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnIconize(wxIconizeEvent& event);
  void OnBackgroundLeftDown(wxMouseEvent& event);
  // The status panel's tooltip: why the last attempt failed, while the
  // pointer is over that panel; no tooltip elsewhere or without a reason.
  // The status panel's tooltip is its reason while the pointer is over the
  // panel. The pointer is taken from the window's own mouse events: asking
  // the display for it fails where there is no pointer (a Wayland seat
  // without one).
  void UpdateStatusTip();
  wxPoint m_pointer = wxDefaultPosition;

  wxVisualAttributes m_defaultAttributes;
  CDownloadCore& m_app;
  MainWndHost& m_host;
  CDownloadListWnd* m_pListView = nullptr;  // child window, owned by wxWidgets
  SessionConnection m_pSession;             // null without a session bus
  std::unique_ptr<CTrayIcon> m_pTrayIcon;
  std::unique_ptr<CRunEndNotifier> m_pRunEndNotifier;
  wxMenu m_popupMenu;
  wxTimer m_timer;
  MainWndTimer m_timerSteps;
  std::shared_ptr<MainWndObserver> m_pObserver;
  std::unique_ptr<BusWindow> m_pBusWindow;
  // A second start's activation token, kept from its record until its
  // bring-to-front request that follows. GUI thread.
  std::string m_strActivationToken;
  // The panel values of the last paint.
  struct PaintedPanels {
    std::string currentFile, status;
    int progress = -1, indicatorFrame = -1;
  } m_painted;
};
