#pragma once
// The General page: save folder and directory tree, the player program, the
// language of the texts, and the switch of the file-type association, which
// acts on the key store at once, whatever the sheet is closed with.

#include <string>
#include <vector>

#include "config/ui/SetupPage.h"

class wxChoice;
class wxCheckBox;
class wxStaticText;
class wxTextCtrl;
class wxToggleButton;

class CSetupGeneral : public CSetupPage {
 public:
  // Control ids, as the page template numbers them.
  enum : int {
    IDC_ASSOCIATE_GROUP = 1019,
    IDC_ASSOCIATE_STATE = 1036,
    IDC_ASSOCIATE_BUTTON = 1035,
    IDC_SAVE_GROUP = 1028,
    IDC_FOLDER_LABEL = 1029,
    IDC_SAVE_DIR = 1016,
    IDC_WITH_DIR = 1017,
    IDC_PLAYER_GROUP = 1033,
    IDC_PATH_LABEL = 1031,
    IDC_WINAMP_PATH = 1007,
    IDC_BROWSE = 1013,
    IDC_LANGUAGE_GROUP = 1034,
    IDC_LANGUAGE = 1043,
  };

  CSetupGeneral(wxWindow* book, SetupValues& values);

  void TakeValues() override;

  // What a browse ends with on OK: the chosen program becomes the player path
  // and the controls show the values again. Edits made since the values were
  // last taken are kept.
  void UseChosenProgram(const std::string& path);

 private:
  void SetCaptions() override;
  void InitPage() override;
  void LoadControls();
  void FillLanguageList();
  void ShowAssociationState();

  void OnBrowse(wxCommandEvent& event);
  void OnAssociationClicked(wxCommandEvent& event);

  wxStaticText* m_pAssociationState;
  wxToggleButton* m_pAssociationButton;
  wxTextCtrl* m_pSaveDir;
  wxCheckBox* m_pWithDir;
  wxTextCtrl* m_pWinampPath;
  wxChoice* m_pLanguage;
};
