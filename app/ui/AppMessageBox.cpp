#include "app/ui/AppMessageBox.h"

#include <wx/msgdlg.h>

MessageAnswer ShowAppMessageBox(const std::string& text, MessageButtons buttons, wxWindow* parent) {
  const long style = wxICON_EXCLAMATION | (buttons == MessageButtons::YesNo ? wxYES_NO : wxOK);
  wxMessageDialog dialog(parent, wxString::FromUTF8(text), kMessageBoxTitle, style);
  const int answer = dialog.ShowModal();
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return answer == wxID_YES ? MessageAnswer::Yes : MessageAnswer::No;
}
