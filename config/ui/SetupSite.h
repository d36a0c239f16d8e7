#pragma once
// The Site page: how connections are made (directly, through the system's
// setting, or through a named proxy "host:port").

#include "config/ui/SetupPage.h"

class wxRadioButton;
class wxTextCtrl;

class CSetupSite : public CSetupPage {
 public:
  enum : int {
    IDC_PROXY_GROUP = 1037,
    IDC_DIRECT = 1010,
    IDC_SYSTEM_SETTING = 1013,
    IDC_NAMED_PROXY = 1014,
    IDC_PROXY_HOST = 1011,
    IDC_PROXY_PORT = 1015,
  };

  CSetupSite(wxWindow* book, SetupValues& values);

  void TakeValues() override;
  // Joins host and port into the proxy text, always with the colon.
  void OnSheetOk() override;

 private:
  void SetCaptions() override;
  void InitPage() override;
  void EnableProxyFields();
  void OnModeClicked(wxCommandEvent& event);

  wxRadioButton* m_pDirect;
  wxRadioButton* m_pSystemSetting;
  wxRadioButton* m_pNamedProxy;
  wxTextCtrl* m_pProxyHost;
  wxTextCtrl* m_pProxyPort;
  // The proxy text split for the two fields.
  std::string m_strProxyHost;
  std::string m_strProxyPort;
};
