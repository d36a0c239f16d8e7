#pragma once
// The application object: wxWidgets' application class joined to the shared
// download state. Start-up and exit live in InitInstance and ExitInstance,
// which wxWidgets reaches through OnInit and OnExit.

#include <wx/app.h>
#include <wx/timer.h>

#include "app/ui/MainWndHost.h"
#include "app/ui/WxBusDispatcher.h"
#include "core/DownloadCore.h"

class StartLock;
class wxPropertySheetDialog;

class CDownloaderApp : public wxApp, public CDownloadCore, public MainWndHost {
 public:
  // Made before the toolkit starts.
  CDownloaderApp();

  // InitInstance returns false when the program has nothing more to do (a
  // hand-over, or the setup sheet closed); wxWidgets would take that for a
  // failed start and end with status 255, so the message loop is skipped
  // instead and the program ends normally.
  bool OnInit() override {
    m_bDoneAtStart = !InitInstance();
    return true;
  }
  int OnRun() override { return m_bDoneAtStart ? 0 : wxApp::OnRun(); }
  int OnExit() override { return ExitInstance(); }

  bool InitInstance();
  int ExitInstance();

  // The setup sheet, findable on the desktop bus as "QEM - Tunefetch Setup"
  // while it is shown; a list handed to it is ignored. A start lock given is
  // released once the sheet is findable. GUI thread.
  void RunSetupSheetOnBus(StartLock* startLock);
  void RunSetupSheetOnBus() override { RunSetupSheetOnBus(nullptr); }

  // Ends the message loop once no worker is left, looking every 500 ms, so
  // the program stays responsive meanwhile. The main window's last act.
  void QuitWhenWorkerEnds() override;

  BusDispatcher& BusHandlerThread() override { return m_busDispatcher; }

  // SIGTERM, SIGINT or SIGHUP arrived: the setup sheet is cancelled and the
  // main window closed. GUI thread.
  void CloseOnQuitSignal();

  // The setup sheet while it is shown, so a second request only raises it.
  // Used on the GUI thread only.
  wxPropertySheetDialog* m_pSetupSheet = nullptr;

 private:
  void StartDownloader(const std::string& listPath, StartLock& startLock);

  void CloseMainWindow();

  bool m_bDoneAtStart = false;
  bool m_bQuitSignalled = false;
  // This start's activation token (RunningInstance.h), read before GTK starts.
  const std::string m_strActivationToken;
  // A token handed to the setup sheet's bus window, for its next raise.
  std::string m_strSheetActivationToken;
  wxTimer m_exitPoll;
  // Runs the handlers of this program's bus windows on the GUI thread.
  WxBusDispatcher m_busDispatcher;
};

wxDECLARE_APP(CDownloaderApp);
