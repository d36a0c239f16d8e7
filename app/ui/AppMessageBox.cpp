#include "app/ui/AppMessageBox.h"

#include "config/ui/CatalogMessageBox.h"

MessageAnswer ShowAppMessageBox(const std::string& text, MessageButtons buttons, wxWindow* parent) {
  const bool yesNo = buttons == MessageButtons::YesNo;
  const int answer = ShowMessageText(parent, wxString::FromUTF8(text), yesNo ? wxYES_NO : wxOK);
  if (!yesNo) return MessageAnswer::Ok;
  return answer == wxID_YES ? MessageAnswer::Yes : MessageAnswer::No;
}
