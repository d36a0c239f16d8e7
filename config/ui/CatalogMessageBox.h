#pragma once
// A message box whose text comes from the message catalogue, as every
// failure the program reports to the user is shown.

#include <wx/string.h>

#include <string_view>

class wxWindow;

// Shows the text of message `key` (the "*" of a missing text included), then
// `detail` on a line of its own when it is not empty, with an exclamation
// icon and OK, modal over `parent`.
void ShowCatalogMessage(wxWindow* parent, std::string_view key, const wxString& detail = {});
