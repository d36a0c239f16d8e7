#pragma once
// The Version page: the program's name and version, the settings file in use,
// and a button that opens the version-information page in the desktop's
// browser.

#include "config/ui/SetupPage.h"

class CSetupUser : public CSetupPage {
 public:
  enum : int {
    IDC_VERSION_GROUP = 1038,
    IDC_CHECK_VERSION = 1024,
    IDC_SETTINGS_FILE_LABEL = 1039,
    IDC_SETTINGS_FILE = 1040,
  };

  CSetupUser(wxWindow* book, SetupValues& values);

 private:
  void SetCaptions() override;
  void InitPage() override {}
  void OnCheckVersion(wxCommandEvent& event);
};
