#pragma once
// Starts wxWidgets once for a window test program and stops it at the end.
// Only tests under a ui/ folder include it (they link wxWidgets). Without a
// display the run fails with "no display" and its tests are skipped; nothing
// crashes on the way out.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

class WxTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "tunefetch-test";
    static char* argv[] = {name, nullptr};
    wxApp::SetInstance(new wxApp);
    ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display";
    // A failed wxWidgets check fails the test instead of waiting on a dialog.
    wxSetAssertHandler([](const wxString& file, int line, const wxString& function,
                          const wxString& condition, const wxString& message) {
      ADD_FAILURE() << file << ":" << line << " " << function << ": " << condition << " "
                    << message;
    });
    m_bStarted = true;
    ASSERT_TRUE(wxTheApp->CallOnInit());
  }
  void TearDown() override {
    if (!m_bStarted) return;
    wxTheApp->OnExit();
    wxEntryCleanup();
  }

 private:
  bool m_bStarted = false;
};

inline const auto* const g_wxTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new WxTestEnvironment);
