#include "app/ui/DownloaderApp.h"

#include "config/ui/SetupSheet.h"
#include "platform/ProgramPath.h"

bool CDownloaderApp::InitInstance() {
  SetProgramArgument0(argc > 0 ? argv[0].utf8_string() : std::string());
  // Setup mode: with no list named, the sheet is all the program shows and
  // the program ends when it closes. Downloader mode comes with the main window.
  if (argc < 2) RunSetupSheet(m_pSetupSheet, SETUP_PAGE_GENERAL);
  return false;
}

int CDownloaderApp::ExitInstance() { return wxApp::OnExit(); }
