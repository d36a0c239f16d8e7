#include "config/ui/SetupPage.h"

#include <algorithm>

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>

#include "config/MessageCatalog.h"

namespace {

constexpr int kPageWidth = 219;   // dialog units
constexpr int kPageHeight = 189;  // dialog units

}  // namespace

CSetupPage::CSetupPage(wxWindow* book, SetupValues& values) : wxPanel(book), m_values(values) {
  SetMinSize(DialogSize(kPageWidth, kPageHeight));
}

void CSetupPage::InitialiseOnce() {
  if (m_bInitialised) return;
  m_bInitialised = true;
  InitPage();
  WidenLabelsToFit();
}

void CSetupPage::WidenLabelsToFit() {
  for (wxWindow* child : GetChildren()) {
    if (!wxDynamicCast(child, wxCheckBox) && !wxDynamicCast(child, wxRadioButton) &&
        !wxDynamicCast(child, wxStaticText))
      continue;
    child->InvalidateBestSize();
    wxSize size = child->GetSize();
    child->SetSize(wxSize(std::max(size.x, child->GetBestSize().x), size.y));
  }
}

wxPoint CSetupPage::DialogPoint(int x, int y) const { return ConvertDialogToPixels(wxPoint(x, y)); }

wxSize CSetupPage::DialogSize(int width, int height) const {
  return ConvertDialogToPixels(wxSize(width, height));
}

wxSize CSetupPage::DialogWidth(int width) const { return wxSize(DialogSize(width, 0).x, -1); }

void CSetupPage::SetCaptionFromKey(int id, std::string_view key) {
  std::string text = GetMessageText(key);
  wxWindow* control = FindWindow(id);
  if (control && !text.starts_with('*')) control->SetLabel(FromUtf8(text));
}

void CSetupPage::SetCaptionAlways(int id, std::string_view key) {
  if (wxWindow* control = FindWindow(id)) control->SetLabel(FromUtf8(GetMessageText(key)));
}

wxString FromUtf8(std::string_view text) { return wxString::FromUTF8(text.data(), text.size()); }

std::string ToUtf8(const wxString& text) { return text.utf8_string(); }
