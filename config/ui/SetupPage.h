#pragma once
// The base of the setup sheet's pages: a panel laid out in dialog units like
// the page templates (219 x 189 units, converted for the page's font). The
// captions are set from the message texts when the sheet is built, and the
// page is fitted to them before the sheet takes its size; the controls are
// filled from the values when the page is first shown, and the values taken
// back when the user leaves it and when the sheet closes with OK. A page that
// was never shown leaves its values as they were loaded.

#include <wx/panel.h>

#include <map>
#include <string>
#include <string_view>

#include "config/SetupValues.h"

class CSetupPage : public wxPanel {
 public:
  CSetupPage(wxWindow* book, SetupValues& values);

  // Sets the captions from the message texts and fits the page to them.
  // Called once, before the sheet is sized.
  void ApplyCaptions();

  // Fits the page again once the sheet is on the screen: a GTK drop-down
  // list reports its full height only then.
  void RefitOnScreen() { FitToCaptions(); }

  // Runs the page's initialisation the first time it is called.
  void InitialiseOnce();
  bool IsInitialised() const { return m_bInitialised; }

  // Takes the values from the controls; called only for a shown page.
  virtual void TakeValues() {}
  // The sheet closed with OK; called only for a shown page.
  virtual void OnSheetOk() { TakeValues(); }

 protected:
  // Replaces template captions with the message texts.
  virtual void SetCaptions() = 0;
  // Fills the controls from the values.
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
  // Keeps control `id` wide enough for the text of each of `keys`, for a
  // control whose caption changes while the page is shown.
  void ReserveWidthFor(int id, std::initializer_list<std::string_view> keys);

  SetupValues& m_values;  // owned by the sheet's run, outlives the page

 private:
  // The templates were measured for another font, and translations run
  // longer: every control grows to fit its caption (a push button towards
  // its left, so it keeps its right edge) and to the toolkit's height, the group boxes grow to hold
  // their controls, all to one right edge as the templates have them, and
  // the page grows to hold its boxes.
  void FitToCaptions();
  int NeededWidth(wxWindow& control) const;

  std::map<int, int> m_reservedWidths;  // control id -> pixels
  bool m_bInitialised = false;
};

// UTF-8 text to and from wxWidgets strings.
wxString FromUtf8(std::string_view text);
std::string ToUtf8(const wxString& text);
