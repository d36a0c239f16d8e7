#include "app/ui/DesktopDisplay.h"

#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <wx/toplevel.h>

bool DisplayIsX11() {
#ifdef GDK_WINDOWING_X11
  return GDK_IS_X11_DISPLAY(gdk_display_get_default());
#else
  return false;
#endif
}

std::optional<wxPoint> KnownWindowPosition(const wxTopLevelWindow& window) {
  if (!DisplayIsX11()) return std::nullopt;
  return window.GetPosition();
}
