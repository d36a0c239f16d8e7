#include "app/DownloaderApp.h"

#include "platform/ProgramPath.h"

bool CDownloaderApp::InitInstance() {
  SetProgramArgument0(argc > 0 ? argv[0].utf8_string() : std::string());
  return false;
}

int CDownloaderApp::ExitInstance() { return wxApp::OnExit(); }
