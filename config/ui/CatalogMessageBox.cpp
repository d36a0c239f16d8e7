#include "config/ui/CatalogMessageBox.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <utility>
#include <vector>

#include <wx/msgdlg.h>

#include "config/MessageCatalog.h"
#include "config/ui/SetupPage.h"

namespace {

// The boxes ShowMessageText has on the screen, innermost last, and what is
// to run once they are all gone. GUI thread only.
std::vector<wxMessageDialog*> g_shownBoxes;
std::vector<std::function<void()>> g_afterShownBoxes;

}  // namespace

int ShowMessageText(wxWindow* parent, const wxString& text, long buttons) {
  int answer;
  {
    wxMessageDialog box(parent, text, kMessageBoxTitle, buttons | wxICON_EXCLAMATION);
    g_shownBoxes.push_back(&box);
    answer = box.ShowModal();
    std::erase(g_shownBoxes, &box);
  }
  if (g_shownBoxes.empty()) {
    // Run after the box has been destroyed: what waits may take its parent.
    for (const std::function<void()>& then : std::exchange(g_afterShownBoxes, {})) then();
  }
  return answer;
}

void AnswerShownMessageBoxes(std::function<void()> then) {
  if (g_shownBoxes.empty()) {
    then();
    return;
  }
  g_afterShownBoxes.push_back(std::move(then));
  for (wxMessageDialog* box : g_shownBoxes) {
    // The box is GTK's own dialog, run by gtk_dialog_run: a response is
    // what ends it, as a press of its button would.
    const bool yesNo = (box->GetMessageDialogStyle() & wxYES_NO) == wxYES_NO;
    if (GtkWidget* widget = box->GetHandle())
      gtk_dialog_response(GTK_DIALOG(widget), yesNo ? GTK_RESPONSE_NO : GTK_RESPONSE_OK);
  }
}

void ShowCatalogMessage(wxWindow* parent, std::string_view key, const wxString& detail) {
  wxString text = FromUtf8(GetMessageText(key));
  if (!detail.empty()) text += "\n" + detail;
  ShowMessageText(parent, text, wxOK);
}
