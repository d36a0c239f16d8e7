#include "config/ui/CatalogMessageBox.h"

#include <wx/msgdlg.h>

#include "config/MessageCatalog.h"
#include "config/ui/SetupPage.h"

int ShowMessageText(wxWindow* parent, const wxString& text, long buttons) {
  return wxMessageDialog(parent, text, kMessageBoxTitle, buttons | wxICON_EXCLAMATION).ShowModal();
}

void ShowCatalogMessage(wxWindow* parent, std::string_view key, const wxString& detail) {
  wxString text = FromUtf8(GetMessageText(key));
  if (!detail.empty()) text += "\n" + detail;
  ShowMessageText(parent, text, wxOK);
}
