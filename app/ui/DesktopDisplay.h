#pragma once
// What kind of display the program runs on, and what it lets a program know:
// X11 tells a program where its windows are and shows XEmbed tray icons;
// Wayland does neither.

#include <wx/gdicmn.h>

#include <optional>

class wxTopLevelWindow;

// Whether GTK runs on an X11 display (XWayland included). GUI thread.
bool DisplayIsX11();

// The window's top-left on the screen, or nothing where the platform keeps it
// from the program (Wayland). GUI thread.
std::optional<wxPoint> KnownWindowPosition(const wxTopLevelWindow& window);
