#pragma once
// Modal runs that also work where the display has no input seat. wxWidgets'
// ShowModal first releases the pointer grab through the seat's pointer, and
// GTK crashes on a Wayland display that has no seat at all (a headless
// compositor, a kiosk without input devices). There these run without that
// step: a dialog is shown with the other windows disabled until it hides,
// and a message box is GTK's own, run by GTK.

#include <wx/string.h>

#include <functional>

class wxDialog;
class wxWindow;

// Runs `dialog` modally and returns when it has ended. Without a seat its OK
// and Cancel only hide it, so its return code is not set: the caller reads
// what the dialog saved, not the code. GUI thread.
void RunDialogModal(wxDialog& dialog);

// `text` titled `title` with an exclamation icon and `buttons` (wxOK or
// wxYES_NO), modal over `parent` (or alone); the wxID_ of the button pressed
// (closing it counts as No, or OK for an OK box). GUI thread.
int RunMessageBoxModal(wxWindow* parent, const wxString& text, const wxString& title, long buttons);

// Answers every box RunMessageBoxModal has on the screen as No (or OK where
// it has only OK) and takes it away; runs `then` once the last of them has
// returned and been destroyed, at once when none is shown. For a window that
// closes: a box over it has to be gone before the window is. GUI thread.
void AnswerShownMessageBoxes(std::function<void()> then);
