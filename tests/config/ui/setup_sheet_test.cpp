// The setup sheet driven from code under a display: what OK writes, what
// Cancel keeps, the proxy fields, the language list, the association switch
// and the captions. Each test runs the real modal sheet; a driver queued
// before it opens works the controls and presses a button, and a watchdog
// cancels a sheet that was left open.

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <spawn.h>
#include <sys/wait.h>
#include <wx/app.h>
#include <wx/bookctrl.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/propdlg.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>
#include <wx/timer.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "config/FileAssociation.h"
#include "config/Settings.h"
#include "config/ui/SetupGeneral.h"
#include "config/ui/SetupMisc.h"
#include "config/ui/SetupSheet.h"
#include "config/ui/SetupSite.h"
#include "config/ui/SetupUser.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WxTestEnvironment.h"

namespace {

constexpr int kWatchdogMilliseconds = 10000;

// Answers every message box with OK without showing it and keeps its text;
// a file chooser is handed to `m_lookAtChooser` and cancelled; the sheet
// itself shows as usual.
class DialogCatcher : public wxModalDialogHook {
 public:
  DialogCatcher() { Register(); }
  ~DialogCatcher() override { Unregister(); }
  std::vector<std::string> m_texts;
  std::function<void(wxFileDialog&)> m_lookAtChooser;

 protected:
  int Enter(wxDialog* dialog) override {
    if (auto* chooser = dynamic_cast<wxFileDialog*>(dialog)) {
      if (m_lookAtChooser) m_lookAtChooser(*chooser);
      return wxID_CANCEL;
    }
    auto* message = dynamic_cast<wxMessageDialogBase*>(dialog);
    if (!message) return wxID_NONE;
    m_texts.push_back(message->GetMessage().utf8_string());
    return wxID_OK;
  }
  void Exit(wxDialog*) override {}
};

// What is wrong with the layout of `page`: a caption wider than its control,
// a control that crosses a group box or leaves the page, two controls that
// overlap. Empty when nothing is.
std::vector<std::string> LayoutFaults(wxWindow& page) {
  std::vector<wxWindow*> boxes, controls;
  std::function<void(wxWindow&)> collect = [&](wxWindow& parent) {
    for (wxWindow* child : parent.GetChildren()) {
      if (!child->IsShown()) continue;
      (dynamic_cast<wxStaticBox*>(child) ? boxes : controls).push_back(child);
      collect(*child);
    }
  };
  collect(page);
  std::vector<std::string> faults;
  auto name = [](wxWindow* window) {
    return wxString(window->GetClassInfo()->GetClassName()).utf8_string() + " \"" +
           window->GetLabel().utf8_string() + "\"";
  };
  for (wxWindow* window : boxes) {
    // A frame's caption sits in its border, a character in from each side.
    const int text = window->GetTextExtent(wxControl::RemoveMnemonics(window->GetLabel())).x;
    if (text + 2 * window->GetCharWidth() > window->GetSize().x)
      faults.push_back(name(window) + ": caption " + std::to_string(text) + " wide in a frame " +
                       std::to_string(window->GetSize().x) + " wide");
  }
  const wxRect pageRect = page.GetScreenRect();
  for (wxWindow* window : controls) {
    const wxRect rect = window->GetScreenRect();
    if (!pageRect.Contains(rect)) faults.push_back(name(window) + " leaves the page");
    const wxSize best = window->GetBestSize();
    if (!dynamic_cast<wxTextCtrl*>(window)) {
      const int text = window->GetTextExtent(wxControl::RemoveMnemonics(window->GetLabel())).x;
      if (std::max(text, best.x) > rect.width)
        faults.push_back(name(window) + ": needs " + std::to_string(std::max(text, best.x)) +
                         " of " + std::to_string(rect.width));
    }
    if (best.y > rect.height)
      faults.push_back(name(window) + ": needs a height of " + std::to_string(best.y) + ", has " +
                       std::to_string(rect.height));
    for (wxWindow* box : boxes) {
      const wxRect frame = box->GetScreenRect();
      if (frame.Intersects(rect) && !frame.Contains(rect))
        faults.push_back(name(window) + " crosses " + name(box));
    }
    for (wxWindow* other : controls)
      if (other < window && other->GetScreenRect().Intersects(rect))
        faults.push_back(name(window) + " overlaps " + name(other));
  }
  return faults;
}

// Lets GTK finish laying out and drawing what was just shown.
void Settle() {
  for (int round = 0; round < 20; ++round) {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    g_usleep(5000);
  }
}

// Draws `window` as it is on the screen into a PNG file.
void SaveScreenshot(wxWindow& window, const std::string& path) {
  GtkWidget* widget = window.GetHandle();
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, gtk_widget_get_allocated_width(widget),
                                 gtk_widget_get_allocated_height(widget));
  cairo_t* context = cairo_create(surface);
  gtk_widget_draw(widget, context);
  cairo_destroy(context);
  EXPECT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS) << path;
  cairo_surface_destroy(surface);
}

class SetupSheetTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("TUNEFETCH_REGISTRY", (m_program / "classes.reg").c_str(), 1); }

  // Runs the sheet; `drive` gets it once it shows and must end it.
  void Run(const std::function<void(wxPropertySheetDialog&)>& drive) {
    bool timedOut = false;
    wxTimer watchdog;
    watchdog.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
      timedOut = true;
      if (m_pSheet) m_pSheet->EndModal(wxID_CANCEL);
    });
    watchdog.StartOnce(kWatchdogMilliseconds);
    wxTheApp->CallAfter([&] {
      ASSERT_NE(m_pSheet, nullptr);
      drive(*m_pSheet);
    });
    RunSetupSheet(m_pSheet, SETUP_PAGE_GENERAL);
    watchdog.Stop();
    EXPECT_FALSE(timedOut) << "the sheet was left open";
    EXPECT_EQ(m_pSheet, nullptr);
  }

  static wxWindow* Page(wxPropertySheetDialog& sheet, int number) {
    return sheet.GetBookCtrl()->GetPage(static_cast<size_t>(number));
  }
  static void ShowPage(wxPropertySheetDialog& sheet, int number) {
    sheet.GetBookCtrl()->SetSelection(static_cast<size_t>(number));
  }
  template <class Control>
  static Control* Find(wxPropertySheetDialog& sheet, int page, int id) {
    Control* control = dynamic_cast<Control*>(Page(sheet, page)->FindWindow(id));
    EXPECT_NE(control, nullptr) << "control " << id << " on page " << page;
    return control;
  }
  static std::string Label(wxPropertySheetDialog& sheet, int page, int id) {
    return Find<wxWindow>(sheet, page, id)->GetLabel().utf8_string();
  }
  static void Press(wxWindow& window, int id) {
    wxWindow* button = window.FindWindow(id);
    ASSERT_NE(button, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
  }
  static void Notify(wxWindow* control, wxEventType type) {
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(event);
  }
  static void ClickToggle(wxPropertySheetDialog& sheet) {
    auto* toggle =
        Find<wxToggleButton>(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_ASSOCIATE_BUTTON);
    toggle->SetValue(!toggle->GetValue());
    Notify(toggle, wxEVT_TOGGLEBUTTON);
  }
  static void SetText(wxPropertySheetDialog& sheet, int page, int id, const char* text) {
    Find<wxTextCtrl>(sheet, page, id)->ChangeValue(wxString::FromUTF8(text));
  }
  std::string Setting(const char* section, const char* key) {
    return ReadSetting(section, key, -1);
  }

  ScratchProgramFolder m_program;
  wxPropertySheetDialog* m_pSheet = nullptr;
};

TEST_F(SetupSheetTest, OkWritesWhatTheControlsShow) {
  WriteFileText(m_program.SettingsFile(), "[GENERAL]\nLANGUAGE=English\n[SITE]\nPROXY_MODE=0\n");
  Run([&](wxPropertySheetDialog& sheet) {
    EXPECT_EQ(sheet.GetTitle(), "QEM - Tunefetch Setup");
    EXPECT_EQ(wxTheApp->GetTopWindow(), &sheet);  // no main window: the sheet is it
    EXPECT_FALSE(sheet.FindWindow(wxID_APPLY)->IsEnabled());
    EXPECT_EQ(sheet.FindWindow(wxID_HELP), nullptr);
    wxBookCtrlBase* book = sheet.GetBookCtrl();
    ASSERT_EQ(book->GetPageCount(), 4u);
    EXPECT_EQ(
        book->GetPageText(0) + book->GetPageText(1) + book->GetPageText(2) + book->GetPageText(3),
        "GeneralSiteMisc.Version");
    EXPECT_EQ(Page(sheet, 0)->GetMinSize(),
              Page(sheet, 0)->ConvertDialogToPixels(wxSize(219, 189)));

    SetText(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_SAVE_DIR, "/srv/ミュージック/");
    Find<wxCheckBox>(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_WITH_DIR)->SetValue(false);
    SetText(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_WINAMP_PATH, "/usr/bin/player");

    ShowPage(sheet, SETUP_PAGE_MISC);
    for (int id : {CSetupMisc::IDC_CONTINUE_AFTER_ERROR, CSetupMisc::IDC_MINIMIZE_START,
                   CSetupMisc::IDC_AUTO_CLOSE, CSetupMisc::IDC_AUTO_PLAY}) {
      auto* box = Find<wxCheckBox>(sheet, SETUP_PAGE_MISC, id);
      box->SetValue(!box->GetValue());
    }
    ShowPage(sheet, SETUP_PAGE_SITE);
    auto* named = Find<wxRadioButton>(sheet, SETUP_PAGE_SITE, CSetupSite::IDC_NAMED_PROXY);
    EXPECT_TRUE(Find<wxRadioButton>(sheet, SETUP_PAGE_SITE, CSetupSite::IDC_DIRECT)->GetValue());
    EXPECT_FALSE(Find<wxTextCtrl>(sheet, SETUP_PAGE_SITE, CSetupSite::IDC_PROXY_HOST)->IsEnabled());
    named->SetValue(true);
    Notify(named, wxEVT_RADIOBUTTON);
    EXPECT_TRUE(Find<wxTextCtrl>(sheet, SETUP_PAGE_SITE, CSetupSite::IDC_PROXY_PORT)->IsEnabled());
    SetText(sheet, SETUP_PAGE_SITE, CSetupSite::IDC_PROXY_HOST, "proxy.local");
    SetText(sheet, SETUP_PAGE_SITE, CSetupSite::IDC_PROXY_PORT, "3128");
    ShowPage(sheet, SETUP_PAGE_VERSION);
    Press(sheet, wxID_OK);
  });
  EXPECT_EQ(Setting("CACHE", "SAVE_DIR"), "/srv/ミュージック/");
  EXPECT_EQ(Setting("CACHE", "WITH_DIR"), "0");
  EXPECT_EQ(Setting("PLAY", "WINAMP_PATH"), "/usr/bin/player");
  EXPECT_EQ(Setting("GENERAL", "LANGUAGE"), "English");
  EXPECT_EQ(Setting("PLAY", "AUTO_CLEAR"), "1");
  EXPECT_EQ(Setting("PLAY", "AUTO_PLAY"), "0");
  EXPECT_EQ(Setting("GENERAL", "CONTINUE_AFTER_ERROR"), "1");
  EXPECT_EQ(Setting("DISP", "MINIMIZE_START"), "1");
  EXPECT_EQ(Setting("DISP", "AUTO_CLOSE"), "0");
  EXPECT_EQ(Setting("DISP", "TRAY_MINIMIZE"), "0");
  EXPECT_EQ(Setting("SITE", "PROXY"), "proxy.local:3128");
  EXPECT_EQ(Setting("SITE", "PROXY_MODE"), "2");
}

TEST_F(SetupSheetTest, CancelWritesNothingButKeepsTheAssociation) {
  WriteFileText(m_program.SettingsFile(), "[GENERAL]\nLANGUAGE=English\nEXTENSION=.mpq\n");
  std::string shownText;
  Run([&](wxPropertySheetDialog& sheet) {
    shownText = ReadFileText(m_program.SettingsFile());
    EXPECT_EQ(Label(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_ASSOCIATE_STATE),
              "Not Asscociated");
    EXPECT_EQ(Label(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_ASSOCIATE_BUTTON), "Asscociate");
    // Key 1010 has no English text, so the group keeps its template caption.
    EXPECT_EQ(Label(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_ASSOCIATE_GROUP),
              "Associate With \".mpq\"");
    ClickToggle(sheet);
    EXPECT_EQ(Label(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_ASSOCIATE_STATE), "Asscociated");
    EXPECT_EQ(Label(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_ASSOCIATE_BUTTON), "Release");
    SetText(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_SAVE_DIR, "/elsewhere/");
    ShowPage(sheet, SETUP_PAGE_SITE);
    Press(sheet, wxID_CANCEL);
  });
  EXPECT_EQ(ReadFileText(m_program.SettingsFile()), shownText);
  EXPECT_TRUE(IsExtensionAssociated(RegistryStore::ClassesRoot(), ".mpq"));

  // Opened again it shows the association and releases it.
  Run([&](wxPropertySheetDialog& sheet) {
    EXPECT_TRUE(Find<wxToggleButton>(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_ASSOCIATE_BUTTON)
                    ->GetValue());
    ClickToggle(sheet);
    EXPECT_EQ(Label(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_ASSOCIATE_STATE),
              "Not Asscociated");
    Press(sheet, wxID_CANCEL);
  });
  EXPECT_FALSE(RegistryStore::ClassesRoot().KeyExists(".mpq"));
}

TEST_F(SetupSheetTest, ProxyIsJoinedOnlyWhenTheSitePageWasShown) {
  WriteFileText(m_program.SettingsFile(), "[SITE]\nPROXY=host\nPROXY_MODE=5\n");
  Run([&](wxPropertySheetDialog& sheet) { Press(sheet, wxID_OK); });
  EXPECT_EQ(Setting("SITE", "PROXY"), "host");  // not "host:"
  EXPECT_EQ(Setting("SITE", "PROXY_MODE"), "5");

  WriteSetting("SITE", "PROXY", "host:80:81");
  Run([&](wxPropertySheetDialog& sheet) {
    ShowPage(sheet, SETUP_PAGE_SITE);
    EXPECT_TRUE(
        Find<wxRadioButton>(sheet, SETUP_PAGE_SITE, CSetupSite::IDC_SYSTEM_SETTING)->GetValue());
    EXPECT_FALSE(Find<wxTextCtrl>(sheet, SETUP_PAGE_SITE, CSetupSite::IDC_PROXY_HOST)->IsEnabled());
    EXPECT_EQ(Find<wxTextCtrl>(sheet, SETUP_PAGE_SITE, CSetupSite::IDC_PROXY_HOST)->GetValue(),
              "host");
    EXPECT_EQ(Find<wxTextCtrl>(sheet, SETUP_PAGE_SITE, CSetupSite::IDC_PROXY_PORT)->GetValue(),
              "80:81");
    SetText(sheet, SETUP_PAGE_SITE, CSetupSite::IDC_PROXY_HOST, "");
    SetText(sheet, SETUP_PAGE_SITE, CSetupSite::IDC_PROXY_PORT, "");
    ShowPage(sheet, SETUP_PAGE_GENERAL);  // leaving the page keeps what it showed
    Press(sheet, wxID_OK);
  });
  EXPECT_EQ(Setting("SITE", "PROXY"), ":");
  EXPECT_EQ(Setting("SITE", "PROXY_MODE"), "5");
}

TEST_F(SetupSheetTest, LanguageListFollowsTheLanguageFiles) {
  auto selection = [](wxPropertySheetDialog& sheet) {
    auto* list = Find<wxChoice>(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_LANGUAGE);
    return std::to_string(list->GetSelection()) + ":" + list->GetStringSelection().utf8_string();
  };
  // The default "Japanese" without its file: English is selected and stored.
  Run([&](wxPropertySheetDialog& sheet) {
    EXPECT_EQ(selection(sheet), "0:English");
    Press(sheet, wxID_OK);
  });
  EXPECT_EQ(Setting("GENERAL", "LANGUAGE"), "English");

  WriteFileText(m_program / "English.lng", "[MESSAGE]\n");
  Run([&](wxPropertySheetDialog& sheet) {
    auto* list = Find<wxChoice>(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_LANGUAGE);
    ASSERT_EQ(list->GetCount(), 2u);
    EXPECT_EQ(list->GetString(0) + "," + list->GetString(1), "English,English");
    Press(sheet, wxID_CANCEL);
  });

  std::remove((m_program / "English.lng").c_str());
  WriteFileText(m_program / "English UK.lng", "[MESSAGE]\n");
  Run([&](wxPropertySheetDialog& sheet) {
    EXPECT_EQ(selection(sheet), "1:English UK");
    Press(sheet, wxID_OK);
  });
  EXPECT_EQ(Setting("GENERAL", "LANGUAGE"), "English UK");
}

TEST_F(SetupSheetTest, CaptionsComeFromTheLanguageFileInOrder) {
  WriteFileText(m_program / "Japanese.lng",
                ReadFileText(std::string(TF_SOURCE_DIR) + "/res/Japanese.lng"));
  WriteFileText(m_program.SettingsFile(), "[GENERAL]\nLANGUAGE=Japanese\n");
  Run([&](wxPropertySheetDialog& sheet) {
    EXPECT_EQ(Label(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_ASSOCIATE_GROUP),
              "ファイルの関連付け");
    EXPECT_EQ(Label(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_SAVE_GROUP), "保存先フォルダ");
    EXPECT_EQ(Label(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_ASSOCIATE_BUTTON), "関連付ける");
    ShowPage(sheet, SETUP_PAGE_MISC);
    // 1019 is applied after 1010 on the same box, so it shows 1019's text.
    EXPECT_EQ(Label(sheet, SETUP_PAGE_MISC, CSetupMisc::IDC_AUTO_CLOSE),
              "終了後にQEMを自動的に閉じる");
    EXPECT_EQ(Label(sheet, SETUP_PAGE_MISC, CSetupMisc::IDC_MINIMIZE_START), "起動時に最小化する");
    ShowPage(sheet, SETUP_PAGE_VERSION);
    EXPECT_EQ(Label(sheet, SETUP_PAGE_VERSION, CSetupUser::IDC_CHECK_VERSION),
              "新しいバージョンを確認する");
    EXPECT_EQ(Label(sheet, SETUP_PAGE_VERSION, CSetupUser::IDC_SETTINGS_FILE_LABEL),
              "設定ファイル");
    EXPECT_EQ(Label(sheet, SETUP_PAGE_VERSION, CSetupUser::IDC_SETTINGS_FILE),
              m_program.SettingsFile());
    Press(sheet, wxID_CANCEL);
  });
}

TEST_F(SetupSheetTest, SecondRequestOpensNoSecondSheet) {
  Run([&](wxPropertySheetDialog& sheet) {
    RunSetupSheet(m_pSheet, SETUP_PAGE_GENERAL);  // returns at once
    EXPECT_EQ(m_pSheet, &sheet);
    int sheets = 0;
    for (wxWindow* window : wxTopLevelWindows)
      if (dynamic_cast<wxPropertySheetDialog*>(window)) ++sheets;
    EXPECT_EQ(sheets, 1);
    Press(sheet, wxID_CANCEL);
  });
}

TEST_F(SetupSheetTest, BrowsedProgramKeepsOtherEdits) {
  WriteFileText(m_program.SettingsFile(), "[GENERAL]\nLANGUAGE=English\n");
  Run([&](wxPropertySheetDialog& sheet) {
    SetText(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_SAVE_DIR, "/edited/");
    static_cast<CSetupGeneral*>(Page(sheet, SETUP_PAGE_GENERAL))
        ->UseChosenProgram("/opt/player/run");
    EXPECT_EQ(
        Find<wxTextCtrl>(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_WINAMP_PATH)->GetValue(),
        "/opt/player/run");
    EXPECT_EQ(Find<wxTextCtrl>(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_SAVE_DIR)->GetValue(),
              "/edited/");
    Press(sheet, wxID_OK);
  });
  EXPECT_EQ(Setting("PLAY", "WINAMP_PATH"), "/opt/player/run");
  EXPECT_EQ(Setting("CACHE", "SAVE_DIR"), "/edited/");
}

TEST_F(SetupSheetTest, OkThatCannotSaveSaysSoAndKeepsTheSheetOpen) {
  // A settings file that cannot be read either leaves the default language,
  // English in the tests' locale.
  Run([&](wxPropertySheetDialog& sheet) {
    SetText(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_SAVE_DIR, "/kept/");
    // A folder where the settings file should be: no write can replace it,
    // whoever runs the test.
    std::filesystem::remove(m_program.SettingsFile());
    std::filesystem::create_directory(m_program.SettingsFile());
    DialogCatcher messages;
    Press(sheet, wxID_OK);
    ASSERT_EQ(messages.m_texts.size(), 1u);
    EXPECT_EQ(messages.m_texts[0],
              "The settings were not saved, because the settings file could not be written.\n" +
                  m_program.SettingsFile());
    EXPECT_TRUE(sheet.IsModal()) << "the changes are still on the sheet";
    std::filesystem::remove(m_program.SettingsFile());
    Press(sheet, wxID_OK);
    EXPECT_EQ(messages.m_texts.size(), 1u);
  });
  EXPECT_EQ(Setting("CACHE", "SAVE_DIR"), "/kept/");
}

TEST_F(SetupSheetTest, VersionPageThatCannotOpenGivesOneSentence) {
  WriteFileText(m_program.SettingsFile(), "[GENERAL]\nLANGUAGE=English\n");
  Run([&](wxPropertySheetDialog& sheet) {
    ShowPage(sheet, SETUP_PAGE_VERSION);
    // No desktop opener on PATH: nothing can show the page.
    const std::string path = std::getenv("PATH");
    setenv("PATH", "/nonexistent", 1);
    DialogCatcher messages;
    Press(*Page(sheet, SETUP_PAGE_VERSION), CSetupUser::IDC_CHECK_VERSION);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(messages.m_texts,
              std::vector<std::string>{
                  "Could not open the version page: no web browser could be started."});
    Press(sheet, wxID_CANCEL);
  });
}

TEST_F(SetupSheetTest, ProgramChooserShowsWhatCanBeRun) {
  WriteFileText(m_program.SettingsFile(),
                "[GENERAL]\nLANGUAGE=English\n[PLAY]\nWINAMP_PATH=tunefetch-bridge\n");
  struct File {
    const char* name;
    std::filesystem::perms mode;
    bool shown;
  };
  const File files[] = {
      {"player", std::filesystem::perms::owner_all, true},
      {"notes.txt", std::filesystem::perms::owner_read, false},
      {"old player.exe", std::filesystem::perms::owner_read,
       true},  // the caption's pattern still holds
  };
  for (const File& file : files) {
    WriteFileText(m_program / file.name, "#!/bin/sh\n");
    std::filesystem::permissions(m_program / file.name, file.mode);
  }
  bool looked = false;
  DialogCatcher dialogs;
  dialogs.m_lookAtChooser = [&](wxFileDialog& chooser) {
    looked = true;
    // A bare name is looked up in the program folder first, so it starts there.
    EXPECT_EQ(chooser.GetDirectory().utf8_string(), m_program.Path());
    EXPECT_EQ(chooser.GetFilename(), "tunefetch-bridge");
    GSList* filters = gtk_file_chooser_list_filters(GTK_FILE_CHOOSER(chooser.GetHandle()));
    ASSERT_EQ(g_slist_length(filters), 1u);
    GtkFileFilter* filter = GTK_FILE_FILTER(filters->data);
    g_slist_free(filters);
    EXPECT_STREQ(gtk_file_filter_get_name(filter), "Executeable (*.exe)");
    for (const File& file : files) {
      const std::string path = m_program / file.name;
      GtkFileFilterInfo info{};
      info.contains =
          static_cast<GtkFileFilterFlags>(GTK_FILE_FILTER_FILENAME | GTK_FILE_FILTER_DISPLAY_NAME);
      info.filename = path.c_str();
      info.display_name = file.name;
      EXPECT_EQ(gtk_file_filter_filter(filter, &info) != FALSE, file.shown) << file.name;
    }
  };
  Run([&](wxPropertySheetDialog& sheet) {
    Press(*Page(sheet, SETUP_PAGE_GENERAL), CSetupGeneral::IDC_BROWSE);
    EXPECT_EQ(
        Find<wxTextCtrl>(sheet, SETUP_PAGE_GENERAL, CSetupGeneral::IDC_WINAMP_PATH)->GetValue(),
        "tunefetch-bridge")
        << "cancelled: unchanged";
    Press(sheet, wxID_CANCEL);
  });
  EXPECT_TRUE(looked);
}

// Every page in every shipped language, at the display's resolution: each
// caption fits its control, no control crosses a group box. A screenshot of
// each page is kept in the build's test-output/setup/ folder.
TEST_F(SetupSheetTest, EveryCaptionFitsInEveryShippedLanguage) {
  std::vector<std::string> languages{"English"};
  for (const auto& entry : std::filesystem::directory_iterator(TF_PROGRAM_DIR))
    if (entry.path().extension() == ".lng") {
      languages.push_back(entry.path().stem().string());
      std::filesystem::copy_file(entry.path(), m_program / entry.path().filename().string());
    }
  ASSERT_GE(languages.size(), 2u) << "the shipped language files";
  const std::string output = std::string(TF_TEST_OUTPUT_DIR) + "/setup";
  std::filesystem::create_directories(output);
  const int dpi = static_cast<int>(gdk_screen_get_resolution(gdk_screen_get_default()) + 0.5);
  const char* pageNames[] = {"General", "Site", "Misc", "Version"};
  for (const std::string& language : languages) {
    WriteSetting("GENERAL", "LANGUAGE", language);
    Run([&](wxPropertySheetDialog& sheet) {
      for (int page = SETUP_PAGE_GENERAL; page <= SETUP_PAGE_VERSION; ++page) {
        ShowPage(sheet, page);
        Settle();
        const std::string shot =
            language + "-" + pageNames[page] + "-" + std::to_string(dpi) + "dpi.png";
        SaveScreenshot(sheet, output + "/" + shot);
        for (const std::string& fault : LayoutFaults(*Page(sheet, page)))
          ADD_FAILURE() << shot << ": " << fault;
      }
      Press(sheet, wxID_CANCEL);
    });
  }
}

// The same at twice the font resolution, in a run of its own: GTK takes the
// resolution when it starts.
TEST_F(SetupSheetTest, EveryCaptionFitsAtTwiceTheResolution) {
  if (std::getenv("GDK_DPI_SCALE")) GTEST_SKIP() << "this run is already scaled";
  std::vector<std::string> environment{"GDK_DPI_SCALE=2"};
  for (char** variable = environ; *variable; ++variable) environment.emplace_back(*variable);
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::string program = "/proc/self/exe";
  std::string filter = "--gtest_filter=SetupSheetTest.EveryCaptionFitsInEveryShippedLanguage";
  char* argv[] = {program.data(), filter.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()), 0);
  EXPECT_EQ(WaitForChildExit(pid, std::chrono::seconds(120)), 0)
      << "the scaled run failed; its output is above";
}

}  // namespace
