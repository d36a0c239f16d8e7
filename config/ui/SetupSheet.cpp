#include "config/ui/SetupSheet.h"

#include <wx/app.h>
#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/propdlg.h>

#include <vector>

#include "config/Settings.h"
#include "config/SetupValues.h"
#include "config/ui/CatalogMessageBox.h"
#include "config/ui/ModalRun.h"
#include "config/ui/SetupGeneral.h"
#include "config/ui/SetupMisc.h"
#include "config/ui/SetupSite.h"
#include "config/ui/SetupUser.h"

namespace {

CSetupPage* PageAt(wxBookCtrlBase& book, int index) {
  if (index < 0 || static_cast<size_t>(index) >= book.GetPageCount()) return nullptr;
  return static_cast<CSetupPage*>(book.GetPage(static_cast<size_t>(index)));
}

// Clears the slot when the run ends, however it ends.
class SheetSlotGuard {
 public:
  SheetSlotGuard(wxPropertySheetDialog*& slot, wxPropertySheetDialog& sheet) : m_slot(slot) {
    m_slot = &sheet;
  }
  ~SheetSlotGuard() { m_slot = nullptr; }
  SheetSlotGuard(const SheetSlotGuard&) = delete;
  SheetSlotGuard& operator=(const SheetSlotGuard&) = delete;

 private:
  wxPropertySheetDialog*& m_slot;
};

}  // namespace

void RunSetupSheet(wxPropertySheetDialog*& sheetSlot, int startPage) {
  if (sheetSlot) {
    sheetSlot->Raise();
    return;
  }
  // Asked before the sheet exists, which would otherwise count as one.
  const bool noMainWindow = wxTheApp && !wxTheApp->GetTopWindow();

  SetupValues values;  // declared before the sheet, so the pages die first
  wxPropertySheetDialog sheet(nullptr, wxID_ANY, "QEM - Tunefetch Setup");
  SheetSlotGuard slotGuard(sheetSlot, sheet);

  wxBookCtrlBase* book = sheet.GetBookCtrl();
  book->AddPage(new CSetupGeneral(book, values), "General");
  book->AddPage(new CSetupSite(book, values), "Site");
  book->AddPage(new CSetupMisc(book, values), "Misc.");
  book->AddPage(new CSetupUser(book, values), "Version");
  values = LoadSetupValues();
  // Captions first, so the sheet takes a size that fits every page's texts.
  for (size_t index = 0; index < book->GetPageCount(); ++index)
    PageAt(*book, static_cast<int>(index))->ApplyCaptions();

  // No page reports changes, so Apply stays disabled; there is no help.
  sheet.CreateButtons(wxOK | wxCANCEL | wxAPPLY);
  if (wxWindow* apply = sheet.FindWindow(wxID_APPLY)) apply->Disable();
  sheet.LayoutDialog();

  // The page being left takes its values; a page shown for the first time
  // fills its controls.
  book->Bind(wxEVT_BOOKCTRL_PAGE_CHANGING, [book](wxBookCtrlEvent& event) {
    if (CSetupPage* page = PageAt(*book, event.GetOldSelection()); page && page->IsInitialised())
      page->TakeValues();
    event.Skip();
  });
  book->Bind(wxEVT_BOOKCTRL_PAGE_CHANGED, [book](wxBookCtrlEvent& event) {
    if (CSetupPage* page = PageAt(*book, event.GetSelection())) page->InitialiseOnce();
    event.Skip();
  });
  if (!PageAt(*book, startPage)) startPage = SETUP_PAGE_GENERAL;
  book->ChangeSelection(static_cast<size_t>(startPage));
  PageAt(*book, startPage)->InitialiseOnce();

  // OK writes the values; when they cannot all be written the user is told
  // and the sheet stays open, so the changes are not lost unnoticed: the
  // user can make the file writable and press OK again, or cancel.
  sheet.Bind(
      wxEVT_BUTTON,
      [&](wxCommandEvent& event) {
        for (size_t index = 0; index < book->GetPageCount(); ++index)
          if (CSetupPage* page = PageAt(*book, static_cast<int>(index)); page->IsInitialised())
            page->OnSheetOk();
        if (SaveSetupValues(values))
          event.Skip();  // the dialog's own handler ends the run with OK
        else
          ShowCatalogMessage(&sheet, "0101", FromUtf8(SettingsPath()));
      },
      wxID_OK);

  sheet.Bind(wxEVT_SHOW, [book](wxShowEvent& event) {
    if (event.IsShown())
      for (size_t index = 0; index < book->GetPageCount(); ++index)
        PageAt(*book, static_cast<int>(index))->RefitOnScreen();
    event.Skip();
  });

  if (noMainWindow) wxTheApp->SetTopWindow(&sheet);
  RunDialogModal(sheet);
  if (noMainWindow && wxTheApp->GetTopWindow() == &sheet) wxTheApp->SetTopWindow(nullptr);
}
