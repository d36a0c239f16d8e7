#include "config/ui/CatalogMessageBox.h"

#include <wx/app.h>
#include <wx/msgdlg.h>

#include "config/MessageCatalog.h"
#include "config/ui/SetupPage.h"

void ShowCatalogMessage(wxWindow* parent, std::string_view key, const wxString& detail) {
  wxString text = FromUtf8(GetMessageText(key));
  if (!detail.empty()) text += "\n" + detail;
  wxMessageBox(text, wxTheApp ? wxTheApp->GetAppDisplayName() : wxString(),
               wxOK | wxICON_EXCLAMATION, parent);
}
