#include "config/ui/ModalRun.h"

#include <gtk/gtk.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

namespace {

bool DisplayHasSeat() {
  GdkDisplay* display = gdk_display_get_default();
  return display && gdk_display_get_default_seat(display);
}

// Ends the nested loop when the dialog hides.
struct LoopEndOnHide {
  wxGUIEventLoop& loop;
  void OnShow(wxShowEvent& event) {
    if (!event.IsShown()) loop.ScheduleExit();
    event.Skip();
  }
};

}  // namespace

void RunDialogModal(wxDialog& dialog) {
  if (DisplayHasSeat()) {
    dialog.ShowModal();
    return;
  }
  wxWindowDisabler others(&dialog);
  wxGUIEventLoop loop;
  LoopEndOnHide end{loop};
  dialog.Bind(wxEVT_SHOW, &LoopEndOnHide::OnShow, &end);
  dialog.Show();
  if (dialog.IsShown()) loop.Run();
  dialog.Unbind(wxEVT_SHOW, &LoopEndOnHide::OnShow, &end);
}

int RunMessageBoxModal(wxWindow* parent, const wxString& text, const wxString& title,
                       long buttons) {
  const bool yesNo = (buttons & wxYES_NO) != 0;
  if (DisplayHasSeat())
    return wxMessageDialog(parent, text, title, buttons | wxICON_EXCLAMATION).ShowModal();
  GtkWindow* owner = parent && parent->GetHandle() && GTK_IS_WINDOW(parent->GetHandle())
                         ? GTK_WINDOW(parent->GetHandle())
                         : nullptr;
  GtkWidget* box = gtk_message_dialog_new(owner, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                                          yesNo ? GTK_BUTTONS_YES_NO : GTK_BUTTONS_OK, "%s",
                                          text.utf8_str().data());
  gtk_window_set_title(GTK_WINDOW(box), title.utf8_str().data());
  const gint response = gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
  if (!yesNo) return wxID_OK;
  return response == GTK_RESPONSE_YES ? wxID_YES : wxID_NO;
}
