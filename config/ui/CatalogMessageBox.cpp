#include "config/ui/CatalogMessageBox.h"

#include <wx/msgdlg.h>

#include "config/MessageCatalog.h"
#include "config/ui/SetupPage.h"

void ShowCatalogMessage(wxWindow* parent, std::string_view key, const wxString& detail) {
  wxString text = FromUtf8(GetMessageText(key));
  if (!detail.empty()) text += "\n" + detail;
  // The title every message box of the program has.
  wxMessageDialog(parent, text, "Tunefetch", wxOK | wxICON_EXCLAMATION).ShowModal();
}
