#pragma once
// The screen's vertical dots per inch, for skin font sizes. Needs a display.

// The vertical resolution the screen reports; kDefaultScreenDpi (96) when it
// reports none. Call on the GUI thread.
int ScreenDpi();
