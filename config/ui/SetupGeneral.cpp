#include "config/ui/SetupGeneral.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include "config/FileAssociation.h"
#include "config/LanguageList.h"
#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "config/ui/ProgramChooser.h"
#include "platform/InstallFolders.h"

namespace {

std::string CurrentExtension() { return ReadSetting("GENERAL", "EXTENSION", -1); }

}  // namespace

CSetupGeneral::CSetupGeneral(wxWindow* book, SetupValues& values) : CSetupPage(book, values) {
  new wxStaticBox(this, IDC_ASSOCIATE_GROUP, "Associate With \".mpq\"", DialogPoint(10, 5),
                  DialogSize(195, 35));
  m_pAssociationState =
      new wxStaticText(this, IDC_ASSOCIATE_STATE, wxEmptyString, DialogPoint(20, 20),
                       DialogSize(90, 10), wxST_NO_AUTORESIZE);
  m_pAssociationButton = new wxToggleButton(this, IDC_ASSOCIATE_BUTTON, wxEmptyString,
                                            DialogPoint(145, 15), DialogSize(50, 15));

  new wxStaticBox(this, IDC_SAVE_GROUP, "Save Folder", DialogPoint(10, 45), DialogSize(195, 50));
  new wxStaticText(this, IDC_FOLDER_LABEL, "Folder", DialogPoint(20, 61), DialogSize(25, 10),
                   wxST_NO_AUTORESIZE);
  m_pSaveDir =
      new wxTextCtrl(this, IDC_SAVE_DIR, wxEmptyString, DialogPoint(50, 61), DialogSize(145, 12));
  m_pWithDir = new wxCheckBox(this, IDC_WITH_DIR, "Save with Directory Tree", DialogPoint(45, 81),
                              DialogWidth(85));

  new wxStaticBox(this, IDC_PLAYER_GROUP, "WinAmp", DialogPoint(10, 100), DialogSize(195, 35));
  new wxStaticText(this, IDC_PATH_LABEL, "Path", DialogPoint(20, 115), DialogSize(20, 10),
                   wxST_NO_AUTORESIZE);
  m_pWinampPath = new wxTextCtrl(this, IDC_WINAMP_PATH, wxEmptyString, DialogPoint(50, 115),
                                 DialogSize(135, 12));
  new wxButton(this, IDC_BROWSE, "...", DialogPoint(185, 115), DialogSize(10, 10), wxBU_EXACTFIT);

  new wxStaticBox(this, IDC_LANGUAGE_GROUP, "Language", DialogPoint(10, 140), DialogSize(195, 40));
  m_pLanguage = new wxChoice(this, IDC_LANGUAGE, DialogPoint(50, 155), DialogWidth(145));
  m_pLanguage->Append("English");

  Bind(wxEVT_BUTTON, &CSetupGeneral::OnBrowse, this, IDC_BROWSE);
  Bind(wxEVT_TOGGLEBUTTON, &CSetupGeneral::OnAssociationClicked, this, IDC_ASSOCIATE_BUTTON);
}

void CSetupGeneral::SetCaptions() {
  SetLabel(FromUtf8(GetMessageText("1000")));
  SetCaptionFromKey(IDC_SAVE_GROUP, "1001");
  SetCaptionFromKey(IDC_FOLDER_LABEL, "1002");
  SetCaptionFromKey(IDC_WITH_DIR, "1003");
  SetCaptionFromKey(IDC_PLAYER_GROUP, "1004");
  SetCaptionFromKey(IDC_PATH_LABEL, "1005");
  SetCaptionFromKey(IDC_LANGUAGE_GROUP, "1018");
  SetCaptionFromKey(IDC_ASSOCIATE_GROUP, "1010");
  // Both states' texts must fit: the association switches while the page shows.
  ReserveWidthFor(IDC_ASSOCIATE_STATE, {"1013", "1014"});
  ReserveWidthFor(IDC_ASSOCIATE_BUTTON, {"1015", "1016"});
}

void CSetupGeneral::InitPage() {
  LoadControls();
  FillLanguageList();
  ShowAssociationState();
}

void CSetupGeneral::LoadControls() {
  m_pSaveDir->ChangeValue(FromUtf8(m_values.m_strSaveDir));
  m_pWithDir->SetValue(m_values.m_bWithDir != 0);
  m_pWinampPath->ChangeValue(FromUtf8(m_values.m_strWinampPath));
}

void CSetupGeneral::TakeValues() {
  m_values.m_strSaveDir = ToUtf8(m_pSaveDir->GetValue());
  m_values.m_bWithDir = m_pWithDir->GetValue() ? 1 : 0;
  m_values.m_strWinampPath = ToUtf8(m_pWinampPath->GetValue());
  // The language selection is taken here with the rest, so it reaches the
  // values whenever the page is left or the sheet is closed with OK.
  if (m_pLanguage->GetSelection() != wxNOT_FOUND)
    m_values.m_strLanguage = ToUtf8(m_pLanguage->GetStringSelection());
}

void CSetupGeneral::FillLanguageList() {
  std::vector<std::string> items = BuildLanguageList(DataFolders());
  m_pLanguage->Clear();
  for (const std::string& item : items) m_pLanguage->Append(FromUtf8(item));
  m_pLanguage->SetSelection(static_cast<int>(FindLanguageIndex(items, m_values.m_strLanguage)));
}

void CSetupGeneral::ShowAssociationState() {
  bool associated = IsExtensionAssociated(RegistryStore::ClassesRoot(), CurrentExtension());
  SetCaptionAlways(IDC_ASSOCIATE_STATE, associated ? "1013" : "1014");
  SetCaptionAlways(IDC_ASSOCIATE_BUTTON, associated ? "1016" : "1015");
  m_pAssociationButton->SetValue(associated);
}

void CSetupGeneral::OnAssociationClicked(wxCommandEvent&) {
  RegistryStore store = RegistryStore::ClassesRoot();
  if (m_pAssociationButton->GetValue())
    AssociateExtension(store, CurrentExtension());
  else
    ReleaseExtension(store, CurrentExtension());
  ShowAssociationState();
}

void CSetupGeneral::OnBrowse(wxCommandEvent&) {
  if (std::string chosen = ChooseProgram(this, ToUtf8(m_pWinampPath->GetValue())); !chosen.empty())
    UseChosenProgram(chosen);
}

void CSetupGeneral::UseChosenProgram(const std::string& path) {
  TakeValues();
  m_values.m_strWinampPath = path;
  LoadControls();
}
