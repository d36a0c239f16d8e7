#include "app/ui/WindowActivation.h"

#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif

#include <wx/toplevel.h>

void PresentWithActivationToken(wxTopLevelWindow& window, const std::string& activationToken) {
  GtkWidget* widget = window.GetHandle();
  if (activationToken.empty() || !widget || !GTK_IS_WINDOW(widget)) {
    window.Raise();
    return;
  }
#ifdef GDK_WINDOWING_WAYLAND
  if (GdkDisplay* display = gtk_widget_get_display(widget); GDK_IS_WAYLAND_DISPLAY(display)) {
    // GTK hands the token to the compositor with the next request for focus.
    gdk_wayland_display_set_startup_notification_id(display, activationToken.c_str());
    gtk_window_present(GTK_WINDOW(widget));
    return;
  }
#endif
  // On X11 the id carries the time of the user's action; GTK presents the
  // mapped window with it.
  gtk_window_set_startup_id(GTK_WINDOW(widget), activationToken.c_str());
}
