#pragma once
// The application object: wxWidgets' application class joined to the shared
// download state. Start-up and exit live in InitInstance and ExitInstance,
// which wxWidgets reaches through OnInit and OnExit.

#include <wx/app.h>

#include "core/DownloadCore.h"

class wxPropertySheetDialog;

class CDownloaderApp : public wxApp, public CDownloadCore {
 public:
  // InitInstance returns false when the program has nothing more to do (the
  // setup sheet was closed); wxWidgets would take that for a failed start and
  // end with status 255, so the message loop is skipped instead and the
  // program ends normally.
  bool OnInit() override {
    m_bDoneAtStart = !InitInstance();
    return true;
  }
  int OnRun() override { return m_bDoneAtStart ? 0 : wxApp::OnRun(); }
  int OnExit() override { return ExitInstance(); }

  bool InitInstance();
  int ExitInstance();

  // The setup sheet while it is shown, so a second request only raises it.
  // Used on the GUI thread only.
  wxPropertySheetDialog* m_pSetupSheet = nullptr;

 private:
  bool m_bDoneAtStart = false;
};

wxDECLARE_APP(CDownloaderApp);
