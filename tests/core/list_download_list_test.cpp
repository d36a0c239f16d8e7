// Reading download lists: directives, item fields, text-mode lines, the
// save path rules (hostile paths included) and the path helpers under them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/ListLineReader.h"
#include "core/UrlEscape.h"
#include "platform/PathParts.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ObserverLog.h"
#include "tests/support/ScratchFolder.h"

namespace {

using ::testing::ElementsAre;

TEST(ListPathHelpersTest, TablesOfTheDesignsExamplesAndHostilePaths) {
  EXPECT_EQ(UrlEscape("jazz/take five.mp3"), "jazz%2Ftake+five.mp3");
  EXPECT_EQ(UrlEscape("a.*-_Z9~\xE3\x81\x82"), "a.*-_Z9%7E%E3%81%82");
  EXPECT_EQ(JoinPath("C:\\MP3", "\\a.mp3"), "C:\\MP3\\a.mp3");
  EXPECT_EQ(JoinPath("C:\\MP3\\", "\\a.mp3"), "C:\\MP3\\a.mp3");
  EXPECT_EQ(JoinPath("/save", "a.mp3"), "/save/a.mp3");
  EXPECT_EQ(JoinPath("", "a.mp3"), "a.mp3");
  EXPECT_EQ(JoinPath("/save/", ""), "/save/");
  EXPECT_EQ(GetDirectoryPart("C:\\MP3\\jazz\\a.mp3"), "C:\\MP3\\jazz");
  EXPECT_EQ(SlashesToBackslashes("a\\b/c"), "a/b/c");
  const std::pair<const char*, const char*> confined[] = {
      {"../../.bashrc", ".bashrc"}, {"/etc/cron.d/x", "etc/cron.d/x"}, {"C:\\x", "x"},
      {"..\\../a/./b", "a/b"},      {"jazz//a.mp3", "jazz/a.mp3"},     {"..", ""},
  };
  for (const auto& [path, expected] : confined)
    EXPECT_EQ(ConfineRelativePath(path), expected) << path;
}

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSetting("GENERAL", "LANGUAGE", "English");
    WriteSetting("CACHE", "SAVE_DIR", save.Path() + "/");
    // The worker that loading starts asks for a player that cannot be
    // started, is told No and leaves the queue as loaded.
    WriteSettingInt("PLAY", "AUTO_CLEAR", 1);
    WriteSetting("PLAY", "WINAMP_PATH", save / "no-such-player");
    core.SetObserver(log);
  }

  bool Load(const std::string& text) {
    WriteFileText(save / "list.mpq", text);
    const bool loaded = core.LoadDownloadList(save / "list.mpq");
    WaitUntil([&] { return !core.IsWorkerRunning(); });
    core.JoinWorker();
    return loaded;
  }

  std::vector<CDownloadItem> Items() const {
    return core.m_queue.Read([](const CDownloadQueue::Items& items) {
      std::vector<CDownloadItem> copies;
      for (const auto& item : items) copies.push_back(*item);
      return copies;
    });
  }

  ScratchProgramFolder programFolder;
  ScratchFolder save;
  CDownloadCore core;
  std::shared_ptr<ObserverLog> log = std::make_shared<ObserverLog>(core);
};

TEST_F(ListTest, DirectivesAndFieldsMakeTheItems) {
  ASSERT_TRUE(
      Load("//!BASEURL  http://h/base/ \r\n"
           "//!baseurl\thttp://ignored/\n"
           "//!auth dXNlcjpvbmU=\n"
           "jazz/take five.mp3| 66000x|Take Five|extra\n"
           "//!auth dXNlcjp0d28=\n"
           "Blue.MP3\n"));
  const auto items = Items();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].m_strUrl, "http://h/base/jazz%2Ftake+five.mp3");
  EXPECT_EQ(items[0].m_strLocalPath, save / "jazz/take five.mp3");
  EXPECT_EQ(items[0].m_nSize, 66000);
  EXPECT_EQ(items[0].m_strTitle, "Take Five");
  EXPECT_EQ(items[0].m_strAuth, "dXNlcjpvbmU=");
  EXPECT_EQ(items[1].m_strAuth, "dXNlcjp0d28=");
  EXPECT_EQ(items[1].m_nSize, 0);
  EXPECT_EQ(items[1].GetDisplayName(), "Blue");
  EXPECT_TRUE(std::filesystem::is_directory(save / "jazz"));  // made at load time
}

// A run of lines in one folder looks at it once; every folder must still be
// there after the load, and a later load makes a vanished one again.
TEST_F(ListTest, EveryItemsFolderIsMadeAtLoadTime) {
  WriteSettingInt("CACHE", "WITH_DIR", 1);
  ASSERT_TRUE(Load("a/1.mp3\na/2.mp3\nb/3.mp3\na/c/4.mp3\na/5.mp3\n"));
  for (const char* folder : {"a", "b", "a/c"})
    EXPECT_TRUE(std::filesystem::is_directory(save / folder)) << folder;
  std::filesystem::remove_all(save / "a");
  ASSERT_TRUE(Load("a/6.mp3\n"));
  EXPECT_TRUE(std::filesystem::is_directory(save / "a"));
}

TEST_F(ListTest, WithoutFolderTreeAndHostilePathsStayInTheSaveFolder) {
  for (int withDir : {0, 1}) {
    SCOPED_TRACE(withDir);
    while (core.GetHeadItem()) core.RemoveHeadItem();
    WriteSettingInt("CACHE", "WITH_DIR", withDir);
    ASSERT_TRUE(Load("jazz/a.mp3\n../../evil.mp3\n/etc/cron.d/x\nC:\\y\n..\\../z\n\n..\n"));
    std::vector<std::string> paths;
    for (const CDownloadItem& item : Items()) paths.push_back(item.m_strLocalPath);
    if (withDir == 0) {
      EXPECT_THAT(paths, ElementsAre(save / "a.mp3", save / "evil.mp3", save / "x", save / "y",
                                     save / "z"));
    } else {
      EXPECT_THAT(paths, ElementsAre(save / "jazz/a.mp3", save / "evil.mp3", save / "etc/cron.d/x",
                                     save / "y", save / "z"));
    }
    // The empty line and ".." name no file and are not queued.
    EXPECT_THAT(log->EventsStartingWith("refused:"), ElementsAre("refused:6", "refused:7"));
    log->Clear();
  }
  EXPECT_FALSE(FileExists(save.Path() + "/../evil.mp3"));
}

TEST_F(ListTest, TextModeLinesAndLimits) {
  const std::string longPiece(1023 + 5, 'a');
  ASSERT_TRUE(Load("one\r\ntwo\rstill\n" + longPiece + "\n" + std::string(300, 'n') + ".mp3\n" +
                   "x/" + std::string(1100, '%') + "\nlast\x1A" + "after\n"));
  std::vector<std::string> names;
  for (const CDownloadItem& item : Items())
    names.push_back(item.m_strLocalPath.substr(save.Path().size() + 1));
  // Lines are cut into pieces of 1023 bytes: the long line's rest and the
  // rest of the "x/%..." line are lines of their own.
  EXPECT_THAT(names,
              ElementsAre("one", "two\rstill", "aaaaa", std::string(1100 - 1021, '%'), "last"));
  // Names of 1023 and 304 bytes are too long for the system; the escaped
  // "x/%..." piece is longer than 2047 characters.
  EXPECT_THAT(log->EventsStartingWith("refused:"),
              ElementsAre("refused:3", "refused:5", "refused:6"));
}

// The part file's name is the file's name plus ".part": a name that leaves
// no room for it would fail every run at that item, so it is refused here.
TEST_F(ListTest, FileNamesLeaveRoomForThePartFile) {
  const std::string fits(250, 'n');
  ASSERT_TRUE(Load(fits + "\n" + std::string(251, 'n') + "\n" + std::string(249, 'n') + ".mp3\n"));
  ASSERT_EQ(Items().size(), 1u);
  EXPECT_EQ(Items()[0].m_strLocalPath, save / fits);
  EXPECT_THAT(log->EventsStartingWith("refused:"), ElementsAre("refused:2", "refused:3"));
}

// The settings file holds 1023 bytes of a value; a longer save folder would
// be cut into the name of another, shorter folder.
TEST_F(ListTest, SaveFolderTooLongForTheSettingsIsRefusedNotCut) {
  std::string folder = save.Path();
  while (folder.size() < 1100) folder += "/" + std::string(200, 'd');
  WriteSetting("CACHE", "SAVE_DIR", folder);
  ASSERT_TRUE(Load("a.mp3\n"));
  EXPECT_TRUE(Items().empty());
  EXPECT_THAT(log->EventsStartingWith("refused:"), ElementsAre("refused:1"));
  EXPECT_FALSE(std::filesystem::exists(save / std::string(200, 'd')));
}

TEST_F(ListTest, JapaneseEncodingsAllNameTheFileInUtf8) {
  const std::string expected = "\xE3\x81\x82.mp3";  // あ.mp3
  for (const std::string& line :
       {std::string("\x82\xA0.mp3"), std::string("\xA4\xA2.mp3"), expected}) {
    while (core.GetHeadItem()) core.RemoveHeadItem();
    ASSERT_TRUE(Load(line + "\n"));
    ASSERT_EQ(Items().size(), 1u);
    EXPECT_EQ(Items()[0].m_strLocalPath, save / expected);
  }
}

TEST_F(ListTest, QuotedPathLargeListAndUnopenableList) {
  std::string text;
  for (int i = 0; i < 10000; ++i)
    text += "f" + std::to_string(i) + ".mp3|12288|Track " + std::to_string(i) + "\n";
  WriteFileText(save / "big list.mpq", text);
  ASSERT_TRUE(core.LoadDownloadList("\"" + (save / "big list.mpq") + "\""));
  WaitUntil([&] { return !core.IsWorkerRunning(); });
  core.JoinWorker();
  EXPECT_EQ(core.m_queue.GetCount(), 10000u);

  EXPECT_FALSE(core.LoadDownloadList(save / "missing.mpq"));
  EXPECT_FALSE(core.LoadDownloadList(save.Path()));  // a folder is no list
  EXPECT_FALSE(core.LoadDownloadList("/dev/zero"));  // nor is a device that never ends
  EXPECT_THAT(log->EventsStartingWith("box:Could not open"), ::testing::SizeIs(3));
  EXPECT_FALSE(core.IsWorkerRunning());
}

// A pipe may never get a writer, or never end: closing ends its reading, and
// no worker starts. In a child, so that a reading that never ends fails the
// test instead of hanging it.
TEST_F(ListTest, ClosingEndsTheReadingOfAPipe) {
  const std::string fifo = save / "list.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(RunInChild([&] {
              std::thread closer([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                core.m_bClosing = true;
              });
              const bool loaded = core.LoadDownloadList(fifo);
              closer.join();
              return loaded && !core.IsWorkerRunning() ? 0 : 1;
            }),
            0);
}

}  // namespace
