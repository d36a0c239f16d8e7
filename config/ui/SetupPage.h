#pragma once
// The base of the setup sheet's pages: a panel laid out in dialog units like
// the page templates (219 x 189 units, converted for the page's font), whose
// controls are filled when the page is first shown and whose values are
// taken back when the user leaves it and when the sheet closes with OK.
// A page that was never shown leaves its values as they were loaded.

#include <string>
#include <string_view>

#include <wx/panel.h>

#include "config/SetupValues.h"

class CSetupPage : public wxPanel {
 public:
  CSetupPage(wxWindow* book, SetupValues& values);

  // Runs the page's initialisation the first time it is called.
  void InitialiseOnce();
  bool IsInitialised() const { return m_bInitialised; }

  // Takes the values from the controls; called only for a shown page.
  virtual void TakeValues() {}
  // The sheet closed with OK; called only for a shown page.
  virtual void OnSheetOk() { TakeValues(); }

 protected:
  // Fills captions and controls from the message texts and the values.
  virtual void InitPage() = 0;

  // Position and size of a control from dialog units.
  wxPoint DialogPoint(int x, int y) const;
  wxSize DialogSize(int width, int height) const;
  // Width from dialog units with the toolkit's natural height: GTK check and
  // radio buttons need more height than their templates give them.
  wxSize DialogWidth(int width) const;

  // Replaces the caption of control `id` with the text of message `key`
  // unless that text is "*".
  void SetCaptionFromKey(int id, std::string_view key);
  // Sets the caption of control `id` to the text of `key`, even "*".
  void SetCaptionAlways(int id, std::string_view key);

  SetupValues& m_values;  // owned by the sheet's run, outlives the page

 private:
  // Check boxes, radio buttons and texts grow to fit their captions: the
  // templates were measured for another font, and translations run longer.
  void WidenLabelsToFit();

  bool m_bInitialised = false;
};

// UTF-8 text to and from wxWidgets strings.
wxString FromUtf8(std::string_view text);
std::string ToUtf8(const wxString& text);
