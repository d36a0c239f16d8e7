#include "app/ui/WindowMoveDrag.h"

#include <gtk/gtk.h>
#include <wx/toplevel.h>

void BeginWindowMoveDrag(wxTopLevelWindow& window, int screenX, int screenY) {
  GtkWidget* widget = window.GetHandle();
  if (!widget || !GTK_IS_WINDOW(widget)) return;
  gtk_window_begin_move_drag(GTK_WINDOW(widget), 1, screenX, screenY, gtk_get_current_event_time());
}
