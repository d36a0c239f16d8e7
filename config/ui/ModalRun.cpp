#include "config/ui/ModalRun.h"

#include <gtk/gtk.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <algorithm>
#include <utility>
#include <vector>

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

namespace {

// A box on the screen: its GTK dialog (made only once the box runs) and
// whether it asks Yes/No.
struct ShownBox {
  std::function<GtkWidget*()> widget;
  bool yesNo;
};

// The boxes RunMessageBoxModal has on the screen, innermost last, and what is
// to run once they are all gone. GUI thread only.
std::vector<ShownBox*> g_shownBoxes;
std::vector<std::function<void()>> g_afterShownBoxes;

// Runs `run` with `box` listed as shown.
template <typename Run>
auto WhileShown(ShownBox& box, Run run) {
  g_shownBoxes.push_back(&box);
  auto result = run();
  std::erase(g_shownBoxes, &box);
  return result;
}

}  // namespace

int RunMessageBoxModal(wxWindow* parent, const wxString& text, const wxString& title,
                       long buttons) {
  const bool yesNo = (buttons & wxYES_NO) != 0;
  int answer = wxID_OK;
  if (DisplayHasSeat()) {
    wxMessageDialog box(parent, text, title, buttons | wxICON_EXCLAMATION);
    ShownBox shown{[&box] { return static_cast<GtkWidget*>(box.GetHandle()); }, yesNo};
    answer = WhileShown(shown, [&box] { return box.ShowModal(); });
  } else {
    GtkWindow* owner = parent && parent->GetHandle() && GTK_IS_WINDOW(parent->GetHandle())
                           ? GTK_WINDOW(parent->GetHandle())
                           : nullptr;
    GtkWidget* box = gtk_message_dialog_new(owner, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                                            yesNo ? GTK_BUTTONS_YES_NO : GTK_BUTTONS_OK, "%s",
                                            text.utf8_str().data());
    gtk_window_set_title(GTK_WINDOW(box), title.utf8_str().data());
    ShownBox shown{[box] { return box; }, yesNo};
    const gint response = WhileShown(shown, [box] { return gtk_dialog_run(GTK_DIALOG(box)); });
    gtk_widget_destroy(box);
    if (yesNo) answer = response == GTK_RESPONSE_YES ? wxID_YES : wxID_NO;
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
  for (ShownBox* box : g_shownBoxes) {
    // Either kind of box is GTK's own dialog, run by gtk_dialog_run: a
    // response is what ends it, as a press of its button would.
    if (GtkWidget* widget = box->widget())
      gtk_dialog_response(GTK_DIALOG(widget), box->yesNo ? GTK_RESPONSE_NO : GTK_RESPONSE_OK);
  }
}
