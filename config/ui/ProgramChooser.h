#pragma once
// The file chooser behind the General page's "..." button.

#include <string>

class wxWindow;

// Lets the user pick the player program, starting at `current`. The one
// filter keeps its old caption "Executeable (*.exe)" but shows every file
// the user can run: Linux programs have no extension. A bare name (looked up
// in the program folder first) starts in the program folder. Returns the
// chosen full path, or empty text when the user cancels.
std::string ChooseProgram(wxWindow* owner, const std::string& current);
