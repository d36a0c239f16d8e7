#pragma once
// The setup sheet "QEM - Tunefetch Setup": pages General, Site, Misc. and
// Version over the settings, shown modally.

class wxPropertySheetDialog;

// Page numbers of the sheet, in the order the pages are added.
enum SetupPageNumber : int {
  SETUP_PAGE_GENERAL = 0,
  SETUP_PAGE_SITE,
  SETUP_PAGE_MISC,
  SETUP_PAGE_VERSION
};

// Shows the sheet modally on page `startPage` and writes the settings back
// when it is closed with OK (when they cannot be written, a message box says
// so and the sheet stays open); Cancel writes nothing (an association switched
// meanwhile stays switched). `sheetSlot` marks the open sheet (the
// application's m_pSetupSheet): while it is set, a call only raises that sheet.
// With no main window yet, the sheet is the application's main window while
// it is shown. GUI thread only.
void RunSetupSheet(wxPropertySheetDialog*& sheetSlot, int startPage);
