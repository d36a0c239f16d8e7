#pragma once
// Bringing a window to the front for another start of the program. Only the
// desktop decides what comes to the front: Wayland raises a window only for
// an activation token that the compositor made for a user's action, X11
// window managers weigh the time of that action, which a startup id carries.

#include <string>

class wxTopLevelWindow;

// Presents `window` with `activationToken` (a start's XDG_ACTIVATION_TOKEN or
// DESKTOP_STARTUP_ID; empty when it had none, and the window is then only
// raised, as far as the desktop lets it). GUI thread.
void PresentWithActivationToken(wxTopLevelWindow& window, const std::string& activationToken);
