#include "config/ui/SetupMisc.h"

#include <wx/checkbox.h>
#include <wx/statbox.h>

#include <cstdint>

namespace {

// One check box of the page and the setting it shows.
struct CheckOption {
  int id;
  const char* text;  // the template's caption
  int y;             // top, in dialog units
  std::int32_t SetupValues::*value;
};

constexpr CheckOption kOptions[] = {
    {CSetupMisc::IDC_CONTINUE_AFTER_ERROR, "Continue Download After Error", 30,
     &SetupValues::m_bContinueAfterError},
    {CSetupMisc::IDC_AUTO_PLAY, "Start Playing Automatically", 44, &SetupValues::m_bAutoPlay},
    {CSetupMisc::IDC_AUTO_CLEAR, "Clear Playlist Automatically", 60, &SetupValues::m_bAutoClear},
    {CSetupMisc::IDC_MINIMIZE_START, "Minimize On Start", 75, &SetupValues::m_bMinimizeStart},
    {CSetupMisc::IDC_AUTO_CLOSE, "Close QEM automatically", 90, &SetupValues::m_bAutoClose},
    {CSetupMisc::IDC_TRAY_MINIMIZE, "Hide Taskbar Icon When Minimized", 105,
     &SetupValues::m_bTrayMinimize},
};

}  // namespace

CSetupMisc::CSetupMisc(wxWindow* book, SetupValues& values) : CSetupPage(book, values) {
  new wxStaticBox(this, IDC_MISC_GROUP, "Misc.", DialogPoint(10, 10), DialogSize(195, 165));
  for (const CheckOption& option : kOptions)
    new wxCheckBox(this, option.id, option.text, DialogPoint(45, option.y), DialogWidth(140));
}

void CSetupMisc::SetCaptions() {
  // Key 1010 is tried on the "close automatically" box before its own 1019,
  // so 1019 wins when both have texts.
  SetCaptionFromKey(IDC_MISC_GROUP, "1006");
  SetCaptionFromKey(IDC_CONTINUE_AFTER_ERROR, "1007");
  SetCaptionFromKey(IDC_AUTO_PLAY, "1008");
  SetCaptionFromKey(IDC_AUTO_CLEAR, "1009");
  SetCaptionFromKey(IDC_AUTO_CLOSE, "1010");
  SetCaptionFromKey(IDC_MINIMIZE_START, "1011");
  SetCaptionFromKey(IDC_AUTO_CLOSE, "1019");
  SetCaptionFromKey(IDC_TRAY_MINIMIZE, "1020");
}

void CSetupMisc::InitPage() {
  for (const CheckOption& option : kOptions)
    static_cast<wxCheckBox*>(FindWindow(option.id))->SetValue(m_values.*option.value != 0);
}

void CSetupMisc::TakeValues() {
  for (const CheckOption& option : kOptions)
    m_values.*option.value = static_cast<wxCheckBox*>(FindWindow(option.id))->GetValue() ? 1 : 0;
}
