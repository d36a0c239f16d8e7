#include "config/ui/SetupSite.h"

#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "config/ProxyText.h"

CSetupSite::CSetupSite(wxWindow* book, SetupValues& values) : CSetupPage(book, values) {
  new wxStaticBox(this, IDC_PROXY_GROUP, "Proxy", DialogPoint(10, 10), DialogSize(195, 85));
  m_pDirect = new wxRadioButton(this, IDC_DIRECT, "Use Direct Connection", DialogPoint(20, 26),
                                DialogWidth(135), wxRB_GROUP);
  m_pSystemSetting = new wxRadioButton(this, IDC_SYSTEM_SETTING, "Use Windows Setting",
                                       DialogPoint(20, 41), DialogWidth(135));
  m_pNamedProxy = new wxRadioButton(this, IDC_NAMED_PROXY, "Use Proxy (Hostname:Port)",
                                    DialogPoint(20, 56), DialogWidth(135));
  m_pProxyHost =
      new wxTextCtrl(this, IDC_PROXY_HOST, wxEmptyString, DialogPoint(30, 70), DialogSize(125, 12));
  new wxStaticText(this, wxID_ANY, ":", DialogPoint(155, 70), DialogSize(10, 10),
                   wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
  m_pProxyPort =
      new wxTextCtrl(this, IDC_PROXY_PORT, wxEmptyString, DialogPoint(165, 70), DialogSize(30, 12));

  Bind(wxEVT_RADIOBUTTON, &CSetupSite::OnModeClicked, this, IDC_DIRECT);
  Bind(wxEVT_RADIOBUTTON, &CSetupSite::OnModeClicked, this, IDC_SYSTEM_SETTING);
  Bind(wxEVT_RADIOBUTTON, &CSetupSite::OnModeClicked, this, IDC_NAMED_PROXY);
}

void CSetupSite::SetCaptions() {
  SetCaptionFromKey(IDC_PROXY_GROUP, "1101");
  SetCaptionFromKey(IDC_DIRECT, "1102");
  SetCaptionFromKey(IDC_SYSTEM_SETTING, "1103");
  SetCaptionFromKey(IDC_NAMED_PROXY, "1104");
}

void CSetupSite::InitPage() {
  // The mode is kept as loaded until a button is clicked, so a value the
  // buttons cannot show (such as 5) is written back unchanged.
  switch (ProxyChoiceForMode(m_values.m_nProxyMode)) {
    case ProxyChoice::Direct:
      m_pDirect->SetValue(true);
      break;
    case ProxyChoice::NamedProxy:
      m_pNamedProxy->SetValue(true);
      break;
    case ProxyChoice::SystemSetting:
      m_pSystemSetting->SetValue(true);
      break;
  }
  EnableProxyFields();

  ProxyParts parts = SplitProxy(m_values.m_strProxy);
  m_strProxyHost = parts.host;
  m_strProxyPort = parts.port;
  m_pProxyHost->ChangeValue(FromUtf8(m_strProxyHost));
  m_pProxyPort->ChangeValue(FromUtf8(m_strProxyPort));
}

void CSetupSite::EnableProxyFields() {
  bool named = ProxyChoiceForMode(m_values.m_nProxyMode) == ProxyChoice::NamedProxy;
  m_pProxyHost->Enable(named);
  m_pProxyPort->Enable(named);
}

void CSetupSite::OnModeClicked(wxCommandEvent& event) {
  switch (event.GetId()) {
    case IDC_DIRECT:
      m_values.m_nProxyMode = 0;
      break;
    case IDC_SYSTEM_SETTING:
      m_values.m_nProxyMode = 1;
      break;
    case IDC_NAMED_PROXY:
      m_values.m_nProxyMode = 2;
      break;
  }
  EnableProxyFields();
}

void CSetupSite::TakeValues() {
  m_strProxyHost = ToUtf8(m_pProxyHost->GetValue());
  m_strProxyPort = ToUtf8(m_pProxyPort->GetValue());
}

void CSetupSite::OnSheetOk() {
  TakeValues();
  m_values.m_strProxy = JoinProxy(m_strProxyHost, m_strProxyPort);
}
