#pragma once
// Moving a frameless window by its background, as its caption would: the
// window manager is asked to take the move over (GTK falls back to moving the
// window itself where the window manager cannot, or where there is none).

class wxTopLevelWindow;

// Starts the move for a left press at screen point (x, y). GUI thread, from
// within the press's event handler.
void BeginWindowMoveDrag(wxTopLevelWindow& window, int screenX, int screenY);
