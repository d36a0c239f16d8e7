// The settings store: defaults written back, absent and empty values, fields,
// the 1023-byte cut, and where the file lives.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "config/Settings.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramPath.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScratchFolder.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  ScratchProgramFolder program;
  std::string Stored(const char* section, const char* key) {
    return ReadProfileString(program.SettingsFile(), section, key, "<absent>");
  }
};

TEST_F(SettingsStoreTest, FileIsBesideTheProgramAndNamedAfterIt) {
  EXPECT_EQ(SettingsPath(), program / "tunefetch.ini");
  SetProgramPath(program / "tool.exe");
  EXPECT_EQ(SettingsPath(), program / "tool.ini");
}

// The first language follows the locale as the C library chooses it; a set
// value is never changed.
TEST_F(SettingsStoreTest, LanguageDefaultFollowsTheLocale) {
  struct Case {
    const char *all, *messages, *lang, *expected;
  };
  const Case cases[] = {
      {"", "", "ja_JP.UTF-8", "Japanese"},
      {"", "", "en_US.UTF-8", "English"},
      {"", "", "", "English"},
      {"", "", "C", "English"},
      {"", "ja_JP.eucJP", "en_GB", "Japanese"},  // LC_MESSAGES before LANG
      {"de_DE", "ja_JP", "ja_JP", "English"},    // LC_ALL before both
      {"ja", "", "", "Japanese"},
      {"", "", "jax", "Japanese"},  // "starts with ja"
  };
  for (const Case& c : cases) {
    const ScopedEnvironment all("LC_ALL", c.all), messages("LC_MESSAGES", c.messages),
        lang("LANG", c.lang);
    std::filesystem::remove(program.SettingsFile());
    EXPECT_EQ(ReadSetting("GENERAL", "LANGUAGE", -1), c.expected)
        << c.all << "|" << c.messages << "|" << c.lang;
    EXPECT_EQ(Stored("GENERAL", "LANGUAGE"), c.expected) << "written back";
  }
  const ScopedEnvironment lang("LANG", "ja_JP.UTF-8");
  WriteSetting("GENERAL", "LANGUAGE", "English");
  EXPECT_EQ(ReadSetting("GENERAL", "LANGUAGE", -1), "English") << "a set value stays";
}

TEST_F(SettingsStoreTest, AbsentKeyReadsItsDefaultAndWritesItBack) {
  EXPECT_EQ(ReadSetting("DISP", "POSITION", -1), "100,100");
  EXPECT_EQ(Stored("DISP", "POSITION"), "100,100");
  EXPECT_EQ(ReadSettingInt("DISP", "POSITION", 0), 100);
  EXPECT_EQ(ReadSettingInt("DISP", "POSITION", 1), 100);

  struct stat info {};
  ASSERT_EQ(stat(program.SettingsFile().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "the file holds a password";
}

TEST_F(SettingsStoreTest, KeyWithoutDefaultRowReadsAndWritesStar) {
  EXPECT_EQ(ReadSetting("DISP", "SKIN", -1), "*");
  EXPECT_EQ(Stored("DISP", "SKIN"), "*");
  EXPECT_EQ(ReadSettingInt("DISP", "SKIN", -1), 0);
}

TEST_F(SettingsStoreTest, EmptyDefaultIsWrittenBackToo) {
  EXPECT_EQ(ReadSetting("SITE", "PROXY", -1), "");
  EXPECT_EQ(Stored("SITE", "PROXY"), "");
}

TEST_F(SettingsStoreTest, PresentEmptyValueIsNotAbsent) {
  WriteFileText(program.SettingsFile(), "[SITE]\nURL=\n");
  EXPECT_EQ(ReadSetting("SITE", "URL", -1), "");
  EXPECT_EQ(ReadFileText(program.SettingsFile()), "[SITE]\nURL=\n");
}

TEST_F(SettingsStoreTest, ValueBeginningWithBackslashCountsAsAbsent) {
  WriteFileText(program.SettingsFile(), "[CACHE]\nSAVE_DIR=\\\\server\\share\n");
  std::string expected = std::string(getenv("HOME")) + "/MP3/";
  EXPECT_EQ(ReadSetting("CACHE", "SAVE_DIR", -1), expected);
  EXPECT_EQ(Stored("CACHE", "SAVE_DIR"), expected);
}

TEST_F(SettingsStoreTest, SaveFolderDefaultUsesTheUserDatabaseWithoutHome) {
  // Regression: without HOME the default became "/MP3/" at the root.
  const std::string home = getenv("HOME");
  const passwd* user = getpwuid(getuid());
  ASSERT_NE(user, nullptr);
  const std::string expected = std::string(user->pw_dir) + "/MP3/";
  for (bool empty : {false, true}) {
    if (empty)
      setenv("HOME", "", 1);
    else
      unsetenv("HOME");
    EXPECT_EQ(DefaultSetting("CACHE", "SAVE_DIR"), expected);
  }
  setenv("HOME", home.c_str(), 1);
  EXPECT_EQ(DefaultSetting("CACHE", "SAVE_DIR"), home + "/MP3/");
}

TEST_F(SettingsStoreTest, FieldsAreTrimmedAndMissingFieldsAreEmpty) {
  WriteFileText(program.SettingsFile(), "[DISP]\nPOSITION= 120 , 80 \nONE=250\n");
  EXPECT_EQ(ReadSettingInt("DISP", "POSITION", 0), 120);
  EXPECT_EQ(ReadSettingInt("DISP", "POSITION", 1), 80);
  EXPECT_EQ(ReadSetting("DISP", "POSITION", 1), "80");
  EXPECT_EQ(ReadSettingInt("DISP", "ONE", 0), 250);
  EXPECT_EQ(ReadSetting("DISP", "ONE", 1), "");
  EXPECT_EQ(ReadSettingInt("DISP", "ONE", 1), 0);
}

TEST_F(SettingsStoreTest, LookupIgnoresCase) {
  EXPECT_EQ(ReadSetting("play", "auto_play", -1), "1");
  EXPECT_EQ(DefaultSetting("Cache", "With_Dir"), "1");
  EXPECT_EQ(DefaultSetting("GENERAL", "NOSUCHKEY"), "*");
}

TEST_F(SettingsStoreTest, LongValuesAreCutTo1023Bytes) {
  WriteFileText(program.SettingsFile(), "[SITE]\nURL=" + std::string(1500, 'u') + "\n");
  EXPECT_EQ(ReadSetting("SITE", "URL", -1), std::string(1023, 'u'));
}

TEST_F(SettingsStoreTest, IntegersRoundTripAsDecimalText) {
  WriteSettingInt("GENERAL", "CONNECT_RETRY", -5);
  EXPECT_EQ(Stored("GENERAL", "CONNECT_RETRY"), "-5");
  EXPECT_EQ(ReadSettingInt("GENERAL", "CONNECT_RETRY", -1), -5);
  WriteSetting("GENERAL", "CONNECT_RETRY", "  7 tries");
  EXPECT_EQ(ReadSettingInt("GENERAL", "CONNECT_RETRY", -1), 7);
}

TEST_F(SettingsStoreTest, UnwritableFileYieldsDefaultsEveryTime) {
  SetProgramPath(program / "missing-folder/tunefetch");
  EXPECT_EQ(ReadSetting("PLAY", "AUTO_CLEAR", -1), "1");
  EXPECT_TRUE(WriteSetting("PLAY", "AUTO_CLEAR", "0"));
  EXPECT_EQ(ReadSetting("PLAY", "AUTO_CLEAR", -1), "1");
}

// A read may skip the parse of an unchanged file; whichever way the file
// changes, the next read sees it.
TEST_F(SettingsStoreTest, EveryChangeOfTheFileIsSeenByTheNextRead) {
  const std::string file = program.SettingsFile();
  struct Case {
    const char* how;
    bool settleFirst;  // the file is old enough to be kept when read
    std::function<void()> change;
    const char* expected = "bbbb";
    bool throughLink = false;  // the settings path is a link to the file
  };
  const auto putInPlace = [&file](const std::string& text) {
    WriteFileText(file + ".new", text);
    std::rename((file + ".new").c_str(), file.c_str());
  };
  const Case cases[] = {
      {"replaced by this process", true, [] { WriteSetting("SITE", "URL", "bbbb"); }},
      {"replaced by another process", true,
       [] {
         EXPECT_EQ(RunInChild([] { return WriteSetting("SITE", "URL", "bbbb") ? 0 : 1; }), 0);
       }},
      {"edited in place, same size, at once", false,
       [&] { WriteFileText(file, "[SITE]\nURL=bbbb\n"); }},
      {"edited in place, same size, later", true,
       [&] { WriteFileText(file, "[SITE]\nURL=bbbb\n"); }},
      {"removed", true, [&] { std::remove(file.c_str()); }, ""},  // the default
      {"moved away, another put in its place", true,
       [&] {
         std::rename(file.c_str(), (file + ".old").c_str());
         WriteFileText(file, "[SITE]\nURL=bbbb\n");
       }},
      {"given a second name, then replaced at this one", true,
       [&] {
         std::filesystem::remove(file + ".second");
         std::filesystem::create_hard_link(file, file + ".second");
         putInPlace("[SITE]\nURL=bbbb\n");
       }},
      {"a link pointed at another file", true,
       [&] {
         WriteFileText(file + ".b", "[SITE]\nURL=bbbb\n");
         std::filesystem::create_symlink(file + ".b", file + ".link");
         std::rename((file + ".link").c_str(), file.c_str());
       },
       "bbbb", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    std::filesystem::remove(file);
    if (c.throughLink) {
      WriteFileText(file + ".a", "[SITE]\nURL=aaaa\n");
      std::filesystem::create_symlink(file + ".a", file);
    } else {
      WriteFileText(file, "[SITE]\nURL=aaaa\n");
    }
    if (c.settleFirst) std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ASSERT_EQ(ReadSetting("SITE", "URL", -1), "aaaa");
    ASSERT_EQ(ReadSetting("SITE", "URL", -1), "aaaa");
    c.change();
    EXPECT_EQ(ReadSetting("SITE", "URL", -1), c.expected);
  }
}

}  // namespace
