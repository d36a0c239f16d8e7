#pragma once
// A message box whose text comes from the message catalogue, as every
// failure the program reports to the user is shown.

#include <wx/string.h>

#include <string_view>

class wxWindow;

// The title every message box of the program has.
inline constexpr const char* kMessageBoxTitle = "Tunefetch";

// Shows `text` with an exclamation icon and `buttons` (wxOK or wxYES_NO),
// modal over `parent` (or alone); returns the wxID_ of the button pressed
// (wxID_NO or wxID_OK when AnswerShownMessageBoxes of config/ui/ModalRun.h
// answered it).
int ShowMessageText(wxWindow* parent, const wxString& text, long buttons);

// Shows the text of message `key` (the "*" of a missing text included), then
// `detail` on a line of its own when it is not empty, with an exclamation
// icon and OK, modal over `parent`.
void ShowCatalogMessage(wxWindow* parent, std::string_view key, const wxString& detail = {});
