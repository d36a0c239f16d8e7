#pragma once
// The Misc. page: six options, each a check box bound to one setting.

#include "config/ui/SetupPage.h"

class CSetupMisc : public CSetupPage {
 public:
  enum : int {
    IDC_MISC_GROUP = 1032,
    IDC_CONTINUE_AFTER_ERROR = 1014,
    IDC_AUTO_PLAY = 1015,
    IDC_AUTO_CLEAR = 1018,
    IDC_MINIMIZE_START = 1020,
    IDC_AUTO_CLOSE = 1019,
    IDC_TRAY_MINIMIZE = 1021,
  };

  CSetupMisc(wxWindow* book, SetupValues& values);

  void TakeValues() override;

 private:
  void SetCaptions() override;
  void InitPage() override;
};
