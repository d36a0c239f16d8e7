// The rules of the setup sheet that need no window: the order settings are
// read and written in, the language list, the proxy text and the version page.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/LanguageList.h"
#include "config/ProxyText.h"
#include "config/SetupValues.h"
#include "config/VersionPage.h"
#include "platform/ProgramPath.h"
#include "tests/support/ScratchFolder.h"

namespace {

using Items = std::vector<std::string>;

TEST(SetupValues, LoadReadsInOrderAndFillsDefaults) {
  ScratchProgramFolder program;
  WriteFileText(program.SettingsFile(),
                "[SITE]\nPROXY=host:8080\nPROXY_MODE=5\n[CACHE]\nWITH_DIR=0\n");
  SetupValues values = LoadSetupValues();
  EXPECT_EQ(values.m_strProxy, "host:8080");
  EXPECT_EQ(values.m_nProxyMode, 5);
  EXPECT_EQ(values.m_bWithDir, 0);
  EXPECT_EQ(values.m_strLanguage, "English") << "the tests' locale is C.UTF-8";
  EXPECT_EQ(values.m_bAutoClose, 1);
  // Absent keys were written with their defaults in the order they were read.
  EXPECT_EQ(ReadFileText(program.SettingsFile()),
            "[SITE]\nPROXY=host:8080\nPROXY_MODE=5\n"
            "[CACHE]\nWITH_DIR=0\nSAVE_DIR=" +
                std::string(getenv("HOME")) +
                "/MP3/\n"
                "[PLAY]\nWINAMP_PATH=tunefetch-bridge\nAUTO_CLEAR=1\nAUTO_PLAY=1\n"
                "[GENERAL]\nLANGUAGE=English\nCONTINUE_AFTER_ERROR=0\n"
                "[DISP]\nMINIMIZE_START=0\nAUTO_CLOSE=1\nTRAY_MINIMIZE=0\n");
}

TEST(SetupValues, SaveWritesEveryValueInOrder) {
  ScratchProgramFolder program;
  SetupValues values;
  values.m_strSaveDir = "/music/";
  values.m_bWithDir = 1;
  values.m_strWinampPath = "/usr/bin/player";
  values.m_strLanguage = "English UK";
  values.m_bAutoPlay = 1;
  values.m_bTrayMinimize = 1;
  values.m_strProxy = ":";
  values.m_nProxyMode = 5;
  SaveSetupValues(values);
  EXPECT_EQ(ReadFileText(program.SettingsFile()),
            "[CACHE]\nSAVE_DIR=/music/\nWITH_DIR=1\n"
            "[PLAY]\nWINAMP_PATH=/usr/bin/player\nAUTO_CLEAR=0\nAUTO_PLAY=1\n"
            "[GENERAL]\nLANGUAGE=English UK\nCONTINUE_AFTER_ERROR=0\n"
            "[DISP]\nMINIMIZE_START=0\nAUTO_CLOSE=0\nTRAY_MINIMIZE=1\n"
            "[SITE]\nPROXY=:\nPROXY_MODE=5\n");
}

TEST(LanguageList, ListsLanguageFilesSortedAfterEnglish) {
  ScratchFolder folder;
  for (const char* name : {"japanese.lng", "Deutsch.lng", "English UK.lng", "notes.txt",
                           ".hidden.lng", ".lng", "French.LNG"})
    WriteFileText(folder / name, "[MESSAGE]\n");
  std::filesystem::create_directory(folder / "Folder.lng");
  EXPECT_EQ(BuildLanguageList({folder.Path()}),
            (Items{"Deutsch", "English", "English UK", "japanese"}));
  EXPECT_EQ(BuildLanguageList({folder / "missing"}), (Items{"English"}));

  WriteFileText(folder / "English.lng", "");
  EXPECT_EQ(BuildLanguageList({folder.Path()}),
            (Items{"Deutsch", "English", "English", "English UK", "japanese"}));
}

TEST(LanguageList, KeepsTheFirstFilesInListOrderWhenThereAreTooMany) {
  // Regression: the cut was made in directory order, before sorting.
  ScratchFolder folder;
  Items expected{"English"};
  for (size_t i = kMaxLanguageFiles + 20; i-- > 0;) {
    const std::string title =
        "L" + std::to_string(1000 + i);  // same width: byte order is list order
    WriteFileText(folder / (title + ".lng"), "");
    if (i < kMaxLanguageFiles) expected.insert(expected.begin() + 1, title);
  }
  EXPECT_EQ(BuildLanguageList({folder.Path()}), expected);
}

TEST(LanguageList, SelectionSearchesFromTheSecondItem) {
  const Items items{"English", "English UK", "Japanese"};
  EXPECT_EQ(FindLanguageIndex(items, "English"), 1u);  // the longer name wins
  EXPECT_EQ(FindLanguageIndex(items, "japanese"), 2u);
  EXPECT_EQ(FindLanguageIndex(items, "Jap"), 2u);
  EXPECT_EQ(FindLanguageIndex(Items{"English"}, "Japanese"), 0u);  // missing file: English
  EXPECT_EQ(FindLanguageIndex(Items{"Deutsch", "English"}, "*"), 1u);
  EXPECT_EQ(FindLanguageIndex(Items{"English", "Japanese"}, "English"), 0u);  // first item last
  EXPECT_EQ(FindLanguageIndex(Items{}, "English"), 0u);
}

TEST(ProxyText, SplitsAtTheFirstColonAndJoinsWithOne) {
  struct Case {
    const char* proxy;
    const char* host;
    const char* port;
  };
  for (const Case& c : {Case{"proxy.example:8080", "proxy.example", "8080"},
                        Case{"host", "host", ""}, Case{"host:80:81", "host", "80:81"},
                        Case{"", "", ""}, Case{":", "", ""}, Case{":8080", "", "8080"}}) {
    SCOPED_TRACE(c.proxy);
    ProxyParts parts = SplitProxy(c.proxy);
    EXPECT_EQ(parts.host, c.host);
    EXPECT_EQ(parts.port, c.port);
  }
  EXPECT_EQ(JoinProxy("", ""), ":");
  EXPECT_EQ(JoinProxy("host", "80:81"), "host:80:81");
  EXPECT_EQ(ProxyChoiceForMode(0), ProxyChoice::Direct);
  EXPECT_EQ(ProxyChoiceForMode(1), ProxyChoice::SystemSetting);
  EXPECT_EQ(ProxyChoiceForMode(2), ProxyChoice::NamedProxy);
  EXPECT_EQ(ProxyChoiceForMode(5), ProxyChoice::SystemSetting);
  EXPECT_EQ(ProxyChoiceForMode(-1), ProxyChoice::SystemSetting);
}

TEST(VersionPage, IsAFileAddressInTheProgramFolder) {
  ScratchProgramFolder program;
  EXPECT_EQ(VersionPageAddress(), "file://" + program.Path() + "/version.html");
  SetProgramPath("/opt/my tunes/tunefetch");
  EXPECT_EQ(VersionPageAddress(), "file:///opt/my%20tunes/version.html");
  // The page is shipped in the built program's folder and names the version.
  EXPECT_NE(ReadFileText(std::string(TF_PROGRAM_DIR) + "/version.html").find("Version 2.01"),
            std::string::npos);
}

}  // namespace
