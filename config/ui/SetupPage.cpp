#include "config/ui/SetupPage.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/statbox.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include <algorithm>
#include <vector>

#include "config/MessageCatalog.h"

namespace {

constexpr int kPageWidth = 219;   // dialog units
constexpr int kPageHeight = 189;  // dialog units
constexpr int kBoxMargin = 10;    // dialog units between a box's controls and its right edge
constexpr int kPageMargin = 14;   // dialog units between the boxes and the page's right edge

bool IsPushButton(const wxWindow& window) {
  return wxDynamicCast(&window, wxButton) || wxDynamicCast(&window, wxToggleButton);
}

}  // namespace

CSetupPage::CSetupPage(wxWindow* book, SetupValues& values) : wxPanel(book), m_values(values) {
  SetMinSize(DialogSize(kPageWidth, kPageHeight));
}

void CSetupPage::ApplyCaptions() {
  SetCaptions();
  FitToCaptions();
}

void CSetupPage::InitialiseOnce() {
  if (m_bInitialised) return;
  m_bInitialised = true;
  InitPage();
}

int CSetupPage::NeededWidth(wxWindow& control) const {
  const wxString caption = wxControl::RemoveMnemonics(control.GetLabel());
  if (wxDynamicCast(&control,
                    wxStaticBox))  // the caption sits in the frame, a character in from each side
    return control.GetTextExtent(caption).x + 2 * control.GetCharWidth();
  control.InvalidateBestSize();
  int needed = std::max(control.GetBestSize().x, control.GetTextExtent(caption).x);
  if (auto reserved = m_reservedWidths.find(control.GetId()); reserved != m_reservedWidths.end())
    needed = std::max(needed, reserved->second);
  return needed;
}

void CSetupPage::FitToCaptions() {
  std::vector<wxWindow*> boxes;
  std::vector<wxWindow*> controls;
  for (wxWindow* child : GetChildren()) {
    if (wxDynamicCast(child, wxStaticBox))
      boxes.push_back(child);
    else
      controls.push_back(child);
  }

  // Which box holds a control is decided by the template's positions.
  std::vector<wxWindow*> holder(controls.size(), nullptr);
  for (size_t index = 0; index < controls.size(); ++index)
    for (wxWindow* box : boxes)
      if (box->GetRect().Contains(controls[index]->GetPosition())) holder[index] = box;

  for (wxWindow* control : controls) {
    wxRect rect = control->GetRect();
    const bool hasCaption =
        !wxDynamicCast(control, wxTextCtrl) && !wxDynamicCast(control, wxChoice);
    if (const int needed = hasCaption ? NeededWidth(*control) : 0; needed > rect.width) {
      if (IsPushButton(*control)) rect.x -= needed - rect.width;
      rect.width = needed;
    }
    // Taller about the template's middle, so a field stays in line with its label.
    control->InvalidateBestSize();
    if (const int needed = control->GetBestSize().y; needed > rect.height) {
      rect.y -= (needed - rect.height) / 2;
      rect.height = needed;
    }
    control->SetSize(rect);
  }

  const int boxMargin = DialogSize(kBoxMargin, 0).x;
  int right = 0;
  for (wxWindow* box : boxes)
    right = std::max({right, box->GetRect().GetRight(), box->GetPosition().x + NeededWidth(*box)});
  for (size_t index = 0; index < controls.size(); ++index)
    if (holder[index]) right = std::max(right, controls[index]->GetRect().GetRight() + boxMargin);
  for (wxWindow* box : boxes)
    box->SetSize(wxSize(right - box->GetPosition().x + 1, box->GetSize().y));

  int pageRight = right;
  for (wxWindow* control : controls) pageRight = std::max(pageRight, control->GetRect().GetRight());
  const wxSize templateSize = DialogSize(kPageWidth, kPageHeight);
  SetMinSize(
      wxSize(std::max(templateSize.x, pageRight + DialogSize(kPageMargin, 0).x), templateSize.y));
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

void CSetupPage::ReserveWidthFor(int id, std::initializer_list<std::string_view> keys) {
  wxWindow* control = FindWindow(id);
  if (!control) return;
  const wxString caption = control->GetLabel();
  int& reserved = m_reservedWidths[id];
  for (std::string_view key : keys) {
    control->SetLabel(FromUtf8(GetMessageText(key)));
    control->InvalidateBestSize();
    reserved =
        std::max({reserved, control->GetBestSize().x,
                  control->GetTextExtent(wxControl::RemoveMnemonics(control->GetLabel())).x});
  }
  control->SetLabel(caption);
}

wxString FromUtf8(std::string_view text) { return wxString::FromUTF8(text.data(), text.size()); }

std::string ToUtf8(const wxString& text) { return text.utf8_string(); }
