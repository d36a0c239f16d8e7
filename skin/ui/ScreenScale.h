#pragma once
// GTK's window scale of the screen: how many device pixels show one pixel of
// a window (GDK_SCALE, or the desktop's setting). Needs a display.

// The primary display's whole scale factor, at least 1. Call on the GUI
// thread.
int ScreenScale();
