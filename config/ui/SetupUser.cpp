#include "config/ui/SetupUser.h"

#include <wx/button.h>
#include <wx/log.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "config/Settings.h"
#include "config/VersionPage.h"
#include "config/ui/CatalogMessageBox.h"
#include "platform/ProgramVersion.h"

CSetupUser::CSetupUser(wxWindow* book, SetupValues& values) : CSetupPage(book, values) {
  new wxStaticBox(this, IDC_VERSION_GROUP, "Version", DialogPoint(10, 10), DialogSize(195, 80));
  constexpr long kCentred = wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE;
  new wxStaticText(this, wxID_ANY, "QEM - Tunefetch", DialogPoint(60, 25), DialogSize(90, 15),
                   kCentred);
  new wxStaticText(this, wxID_ANY, FromUtf8("Version " + std::string(kProgramVersion)),
                   DialogPoint(60, 45), DialogSize(90, 15), kCentred);
  // Which settings file this program reads and writes: beside the program,
  // or the user's own on a system install.
  new wxStaticText(this, IDC_SETTINGS_FILE_LABEL, "Settings file", DialogPoint(10, 100),
                   DialogSize(195, 10));
  new wxStaticText(this, IDC_SETTINGS_FILE, FromUtf8(SettingsPath()), DialogPoint(10, 112),
                   DialogSize(195, 45), wxST_NO_AUTORESIZE);
  new wxButton(this, IDC_CHECK_VERSION, "Check for New Version", DialogPoint(110, 165),
               DialogSize(80, 15));
  Bind(wxEVT_BUTTON, &CSetupUser::OnCheckVersion, this, IDC_CHECK_VERSION);
}

void CSetupUser::SetCaptions() {
  SetCaptionFromKey(IDC_VERSION_GROUP, "1201");
  SetCaptionFromKey(IDC_CHECK_VERSION, "1205");
  SetCaptionFromKey(IDC_SETTINGS_FILE_LABEL, "1206");
}

void CSetupUser::OnCheckVersion(wxCommandEvent&) {
  bool opened = false;
  {
    // The toolkit's own report of a failure ends in a system error number
    // that says nothing to the user; ours is one sentence.
    wxLogNull quiet;
    opened = wxLaunchDefaultBrowser(FromUtf8(VersionPageAddress()));
  }
  if (!opened) ShowCatalogMessage(this, "0102");
}
