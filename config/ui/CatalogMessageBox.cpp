#include "config/ui/CatalogMessageBox.h"

#include "config/MessageCatalog.h"
#include "config/ui/ModalRun.h"
#include "config/ui/SetupPage.h"

int ShowMessageText(wxWindow* parent, const wxString& text, long buttons) {
  return RunMessageBoxModal(parent, text, kMessageBoxTitle, buttons);
}

void ShowCatalogMessage(wxWindow* parent, std::string_view key, const wxString& detail) {
  wxString text = FromUtf8(GetMessageText(key));
  if (!detail.empty()) text += "\n" + detail;
  ShowMessageText(parent, text, wxOK);
}
