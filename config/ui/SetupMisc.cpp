#include "config/ui/SetupMisc.h"

#include <wx/checkbox.h>
#include <wx/statbox.h>

const CSetupMisc::Binding CSetupMisc::kBindings[6] = {
    {IDC_CONTINUE_AFTER_ERROR, &SetupValues::m_bContinueAfterError},
    {IDC_AUTO_PLAY, &SetupValues::m_bAutoPlay},
    {IDC_AUTO_CLEAR, &SetupValues::m_bAutoClear},
    {IDC_MINIMIZE_START, &SetupValues::m_bMinimizeStart},
    {IDC_AUTO_CLOSE, &SetupValues::m_bAutoClose},
    {IDC_TRAY_MINIMIZE, &SetupValues::m_bTrayMinimize},
};

CSetupMisc::CSetupMisc(wxWindow* book, SetupValues& values) : CSetupPage(book, values) {
  new wxStaticBox(this, IDC_MISC_GROUP, "Misc.", DialogPoint(10, 10), DialogSize(195, 165));
  struct Box {
    int id;
    const char* text;
    int y;
  };
  for (const Box& box : {Box{IDC_CONTINUE_AFTER_ERROR, "Continue Download After Error", 30},
                         Box{IDC_AUTO_PLAY, "Start Playing Automatically", 44},
                         Box{IDC_AUTO_CLEAR, "Clear Playlist Automatically", 60},
                         Box{IDC_MINIMIZE_START, "Minimize On Start", 75},
                         Box{IDC_AUTO_CLOSE, "Close QEM automatically", 90},
                         Box{IDC_TRAY_MINIMIZE, "Hide Taskbar Icon When Minimized", 105}})
    new wxCheckBox(this, box.id, box.text, DialogPoint(45, box.y), DialogWidth(140));
}

void CSetupMisc::InitPage() {
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
  for (const Binding& binding : kBindings)
    static_cast<wxCheckBox*>(FindWindow(binding.id))->SetValue(m_values.*binding.value != 0);
}

void CSetupMisc::TakeValues() {
  for (const Binding& binding : kBindings)
    m_values.*binding.value = static_cast<wxCheckBox*>(FindWindow(binding.id))->GetValue() ? 1 : 0;
}
