#include "config/ui/SetupUser.h"

#include <wx/button.h>
#include <wx/log.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "config/VersionPage.h"
#include "config/ui/CatalogMessageBox.h"

CSetupUser::CSetupUser(wxWindow* book, SetupValues& values) : CSetupPage(book, values) {
  new wxStaticBox(this, IDC_VERSION_GROUP, "Version", DialogPoint(10, 10), DialogSize(195, 80));
  constexpr long kCentred = wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE;
  new wxStaticText(this, wxID_ANY, "QEM - Tunefetch", DialogPoint(60, 25), DialogSize(90, 15), kCentred);
  new wxStaticText(this, wxID_ANY, "Version 2.01", DialogPoint(60, 45), DialogSize(90, 15), kCentred);
  new wxButton(this, IDC_CHECK_VERSION, "Check for New Version", DialogPoint(110, 165), DialogSize(80, 15));
  Bind(wxEVT_BUTTON, &CSetupUser::OnCheckVersion, this, IDC_CHECK_VERSION);
}

void CSetupUser::SetCaptions() {
  SetCaptionFromKey(IDC_VERSION_GROUP, "1201");
  SetCaptionFromKey(IDC_CHECK_VERSION, "1205");
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
