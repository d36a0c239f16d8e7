// A program folder marked as a system install keeps each user's settings in
// the user's configuration folder and looks for language files and skins in
// the user's data folder first; unmarked, everything stays beside the program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "platform/InstallFolders.h"
#include "skin/SkinLoader.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

class SystemInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"Skins/Aurora", "Skins/Mine"})
      fs::create_directories(program / folder);
    WriteFileText(program / "Japanese.lng", "[MESSAGE]\n1013=installed\n");
    fs::create_directories(user / "data/tunefetch/Skins/mine");
    WriteFileText(user / "data/tunefetch/Japanese.lng", "[MESSAGE]\n1013=own\n");
  }
  void MarkSystemInstall() {
    WriteFileText(program / std::string(kSystemInstallMarker), "package\n");
  }
  std::string Mode(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? std::to_string(info.st_mode & 0777) : "missing";
  }

  ScratchProgramFolder program;
  ScratchFolder user;
  ScopedEnvironment config{"XDG_CONFIG_HOME", user / "config"};
  ScopedEnvironment data{"XDG_DATA_HOME", user / "data"};
};

TEST_F(SystemInstallTest, UnmarkedFolderKeepsEverythingBesideTheProgram) {
  EXPECT_FALSE(IsSystemInstall());
  EXPECT_EQ(SettingsPath(), program.SettingsFile());
  EXPECT_EQ(UserSettingsFilePath("tunefetch-bridge.ini"), program / "tunefetch-bridge.ini");
  EXPECT_EQ(LanguageFilePath("Japanese"), program / "Japanese.lng");
  EXPECT_EQ(SkinFolderPath("mine"), program / "Skins/Mine");
  EXPECT_EQ(DataFolders(), std::vector<std::string>{program.Path()});
  fs::create_directory(program / std::string(kSystemInstallMarker));  // a folder is no marker
  EXPECT_FALSE(IsSystemInstall());
}

TEST_F(SystemInstallTest, MarkedFolderUsesTheUsersFolders) {
  MarkSystemInstall();
  const std::string settings = user / "config/tunefetch/tunefetch.ini";
  EXPECT_EQ(SettingsPath(), settings);
  EXPECT_EQ(UserSettingsFilePath("tunefetch-bridge.ini"),
            user / "config/tunefetch/tunefetch-bridge.ini");
  EXPECT_EQ(DataFolders(), (std::vector<std::string>{user / "data/tunefetch", program.Path()}));
  WriteSetting("GENERAL", "LANGUAGE", "Japanese");
  EXPECT_EQ(GetMessageText("1013"), "own") << "the user's language file first";
  fs::remove(user / "data/tunefetch/Japanese.lng");
  EXPECT_EQ(GetMessageText("1013"), "installed") << "then the program folder's";
  EXPECT_EQ(SkinFolderPath("MINE"), user / "data/tunefetch/Skins/mine");
  EXPECT_EQ(SkinFolderPath("aurora"), program / "Skins/Aurora");

  // The first write made the user's folder, private, and nothing beside the program.
  EXPECT_EQ(Mode(user / "config/tunefetch"), std::to_string(0700));
  EXPECT_EQ(Mode(settings), std::to_string(0600));
  EXPECT_FALSE(FileExists(program.SettingsFile()));
  EXPECT_EQ(ReadSetting("GENERAL", "LANGUAGE", -1), "Japanese");
}

TEST_F(SystemInstallTest, TwoUsersHaveTwoSettingsFiles) {
  MarkSystemInstall();
  WriteSetting("SITE", "USERID", "first");
  {
    const ScopedEnvironment other("XDG_CONFIG_HOME", user / "other");
    EXPECT_EQ(ReadSetting("SITE", "USERID", -1), "");
    WriteSetting("SITE", "USERID", "second");
  }
  EXPECT_EQ(ReadSetting("SITE", "USERID", -1), "first");
}

}  // namespace
