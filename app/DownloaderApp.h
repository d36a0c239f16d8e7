#pragma once
// The application object: wxWidgets' application class joined to the shared
// download state. Start-up and exit live in InitInstance and ExitInstance,
// which wxWidgets reaches through OnInit and OnExit.

#include <wx/app.h>

#include "core/DownloadCore.h"

class wxPropertySheetDialog;

class CDownloaderApp : public wxApp, public CDownloadCore {
 public:
  bool OnInit() override { return InitInstance(); }
  int OnExit() override { return ExitInstance(); }

  bool InitInstance();
  int ExitInstance();

  // The setup sheet while it is shown, so a second request only raises it.
  // Used on the GUI thread only.
  wxPropertySheetDialog* m_pSetupSheet = nullptr;
};

wxDECLARE_APP(CDownloaderApp);
