#include "app/ui/DownloaderApp.h"

#include <signal.h>
#include <stdlib.h>
#include <wx/propdlg.h>

#include <chrono>

#include "app/MainWndGeometry.h"
#include "app/RunningInstance.h"
#include "app/ui/AppMessageBox.h"
#include "app/ui/MainWnd.h"
#include "app/ui/TrayIcon.h"
#include "app/ui/WindowActivation.h"
#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "config/ui/CatalogMessageBox.h"
#include "config/ui/ModalRun.h"
#include "config/ui/SetupSheet.h"
#include "platform/ProgramPath.h"
#include "platform/bus/BusWindow.h"
#include "skin/SkinLoader.h"
#include "skin/ui/ScreenScale.h"
#include "skin/ui/SkinBitmaps.h"

namespace {

constexpr auto kWorkerPoll = std::chrono::milliseconds(500);

}  // namespace

CDownloaderApp::CDownloaderApp() : m_strActivationToken(ActivationTokenOf(getenv)) {
  // The program draws with plain bitmap copies and never uses OpenGL, but GTK
  // probes it at start-up, which loads the system's GL driver: over 50 MB of
  // memory and tens of milliseconds for nothing. A user's own choice stands.
  setenv("GDK_GL", "disable", 0);
}

bool CDownloaderApp::InitInstance() {
  SetProgramArgument0(argc > 0 ? argv[0].utf8_string() : std::string());
  // Logout, a terminal closing and Ctrl-C close the program as its Close
  // button does, so its close steps run. wxWidgets only notes the signal in
  // its handler and calls ours from the message loop, on the GUI thread.
  for (const int quitSignal : {SIGTERM, SIGINT, SIGHUP})
    SetSignalHandler(quitSignal, [](int) { wxGetApp().CloseOnQuitSignal(); });
  const bool listNamed = argc >= 2;

  // Held until this start's own window is findable, so two starts at one
  // moment cannot both miss each other.
  StartLock startLock;
  if (const BusWindowHandle running = FindRunningInstance()) {
    startLock.Release();
    if (listNamed)
      HandOverList(running, argv[1].utf8_string());
    else
      ShowAppMessageBox(GetMessageText("0001"), MessageButtons::Ok);
    BringToFront(running, m_strActivationToken);
    return false;
  }

  // The skin is pixel art laid out in pixels of 1/96 inch: its fonts are sized
  // in those pixels too, whatever the screen reports, and GTK's window scale
  // enlarges text and pictures alike, so text fits its box at every scale.
  LoadConfiguredSkin(GetSkin(), kDefaultScreenDpi);
  MakeSkinBitmaps(GetSkin(), ScreenScale());
  if (!listNamed) {
    RunSetupSheetOnBus(&startLock);
    return false;
  }
  StartDownloader(argv[1].utf8_string(), startLock);
  return true;
}

void CDownloaderApp::StartDownloader(const std::string& listPath, StartLock& startLock) {
  const bool smallStart = IsSettingOn("DISP", "SMALL_START");
  const WindowPlace place = ParseWindowPosition(ReadSetting("DISP", "POSITION", -1));
  auto* window = new CMainWnd(*this, *this, place, !smallStart);
  startLock.Release();  // the window is findable now
  SetTopWindow(window);
  // The loop ends when the worker has, not when the window goes.
  SetExitOnFrameDelete(false);

  if (IsSettingOn("DISP", "MINIMIZE_START")) {
    window->Iconize(true);
    if (!window->EnterMinimized()) window->Show();  // hidden: only the tray icon shows
  } else {
    window->Show();
    window->Update();
  }
  LoadDownloadList(listPath);
}

void CDownloaderApp::RunSetupSheetOnBus(StartLock* startLock) {
  if (m_pSetupSheet) {
    m_pSetupSheet->Raise();
    return;
  }
  BusError error = BusError::None;
  auto findable = BusWindow::Create(
      kSetupSheetClass, kSetupSheetTitle, WindowVisibility::Shown,
      [this](const BusMessage& message) -> std::int64_t {
        // Lists handed to the sheet are ignored; the sender then drops the atom.
        if (auto token = ReceivedActivationToken(message))
          m_strSheetActivationToken = std::move(*token);
        const bool raise = message.message == kBringToFrontMessage ||
                           (message.message == WM_HANDOVER && message.lParam == kHandOverSetup);
        if (raise && m_pSetupSheet)
          PresentWithActivationToken(*m_pSetupSheet, m_strSheetActivationToken);
        if (raise) m_strSheetActivationToken.clear();
        // Closed as Escape and the window manager's close do: cancelled.
        if (message.message == WM_CLOSE && m_pSetupSheet) m_pSetupSheet->Close();
        return 0;
      },
      &m_busDispatcher, error);
  if (startLock) startLock->Release();
  RunSetupSheet(m_pSetupSheet, SETUP_PAGE_GENERAL);
  if (m_bQuitSignalled) CloseMainWindow();
}

void CDownloaderApp::CloseOnQuitSignal() {
  m_bQuitSignalled = true;
  // A sheet over the main window goes first; the window follows once the
  // sheet has returned (RunSetupSheetOnBus).
  if (m_pSetupSheet)
    m_pSetupSheet->Close();
  else
    CloseMainWindow();
}

void CDownloaderApp::CloseMainWindow() {
  wxWindow* window = GetTopWindow();
  if (window && !window->IsBeingDeleted())
    window->Close();  // a second close while closing is ignored by the window
  else
    AnswerShownMessageBoxes([] {});  // a box shown with no window, as "0001"
}

void CDownloaderApp::QuitWhenWorkerEnds() {
  // Most often the worker has gone already (the close it asked for at the
  // end of its queue): then there is nothing to wait for.
  if (!IsWorkerRunning()) {
    ExitMainLoop();
    return;
  }
  m_exitPoll.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
    if (IsWorkerRunning()) return;
    m_exitPoll.Stop();
    ExitMainLoop();
  });
  m_exitPoll.Start(static_cast<int>(kWorkerPoll.count()));
}

int CDownloaderApp::ExitInstance() {
  SetTopWindow(nullptr);
  FreeSkinBitmaps();
  FreeSkin(GetSkin());
  // The message loop has waited for the worker already (QuitWhenWorkerEnds).
  JoinWorker();
  return wxApp::OnExit();
}
