// make install's script as a user meets it: install into a scratch prefix,
// run the installed tunefetch-cli from PATH on a list, uninstall, and find
// nothing left but the settings file.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"

namespace {

namespace fs = std::filesystem;

// Runs `command` with /bin/sh, bounded; its exit status.
int Shell(const std::string& command) {
  return RunInChild(
      [&] { return execl("/bin/sh", "sh", "-c", command.c_str(), nullptr) == 0 ? 0 : 127; },
      std::chrono::seconds(60));
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::string Script() { return std::string(TF_SOURCE_DIR) + "/scripts/install.sh"; }

// Every file and link below `folder`, relative to it (folders left out).
std::set<std::string> FilesBelow(const std::string& folder) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (!entry.is_directory() || entry.is_symlink())
      files.insert(fs::relative(entry.path(), folder).string());
  return files;
}

}  // namespace

TEST(Install, InstalledProgramRunsAndUninstallKeepsOnlyTheSettings) {
  ScratchFolder scratch;
  const std::string prefix = scratch / "my prefix";
  const std::string folder = prefix + "/lib/tunefetch";
  ASSERT_EQ(Shell(Script() + " install " + Quoted(fs::path(TF_PROGRAM_DIR).parent_path()) + " " +
                  Quoted(prefix) + " >/dev/null"),
            0);

  for (const char* file :
       {"lib/tunefetch/tunefetch-cli", "lib/tunefetch/tunefetch-bridge",
        "lib/tunefetch/Japanese.lng", "lib/tunefetch/version.html",
        "lib/tunefetch/Skins/Aurora/Skin.ini", "share/applications/org.tunefetch.Tunefetch.desktop",
        "share/metainfo/org.tunefetch.Tunefetch.metainfo.xml", "share/mime/packages/tunefetch.xml",
        "share/icons/hicolor/256x256/apps/tunefetch.png",
        "share/icons/hicolor/scalable/apps/tunefetch.svg", "share/man/man1/tunefetch-cli.1"})
    EXPECT_TRUE(fs::is_regular_file(prefix + "/" + file)) << file;
  EXPECT_EQ(fs::read_symlink(prefix + "/bin/tunefetch-cli"), "../lib/tunefetch/tunefetch-cli");
  EXPECT_FALSE(FileExists(folder + "/system-install")) << "only the package marks a system install";
  EXPECT_NE(ReadFileText(prefix + "/share/applications/org.tunefetch.Tunefetch.desktop")
                .find("Exec=\"" + folder + "/tunefetch\" %f"),
            std::string::npos);

  // The user's settings, in the program folder where the installed program
  // looks: no player, so nothing outside this test is started.
  TestHttpServer server;
  server.SetReply(PatternReply(20000));
  const std::string save = scratch / "save";
  WriteFileText(
      folder + "/tunefetch.ini",
      "[SITE]\nPROXY_MODE=0\n[PLAY]\nAUTO_CLEAR=0\nAUTO_PLAY=0\n[CACHE]\nSAVE_DIR=" + save + "/\n");
  WriteFileText(scratch / "list.mpq", "//!baseurl " + server.Url("/") + "\nsong.mp3\n");
  EXPECT_EQ(Shell("PATH=" + Quoted(prefix + "/bin") + ":\"$PATH\" tunefetch-cli --quiet " +
                  Quoted(scratch / "list.mpq") + " >" + Quoted(scratch / "out.txt") + " 2>&1"),
            0)
      << ReadFileText(scratch / "out.txt");
  EXPECT_TRUE(FileExists(save + "/song.mp3") &&
              ReadFileText(save + "/song.mp3") == PatternBody(20000));

  ASSERT_EQ(Shell(Script() + " uninstall " + Quoted(prefix) + " >/dev/null"), 0);
  EXPECT_EQ(FilesBelow(prefix), (std::set<std::string>{"lib/tunefetch/tunefetch.ini"}));
  EXPECT_NE(Shell(Script() + " uninstall " + Quoted(prefix) + " 2>/dev/null"),
            0);  // nothing left to remove
}

TEST(Install, StagesBelowDestdirWhileNamingThePrefix) {
  ScratchFolder stage;
  ASSERT_EQ(Shell(Script() + " install " + Quoted(fs::path(TF_PROGRAM_DIR).parent_path()) +
                  " /opt/tunefetch " + Quoted(stage.Path()) + " >/dev/null"),
            0);
  EXPECT_TRUE(fs::is_regular_file(stage / "opt/tunefetch/lib/tunefetch/tunefetch-cli"));
  EXPECT_EQ(fs::read_symlink(stage / "opt/tunefetch/bin/tunefetch-cli"),
            "../lib/tunefetch/tunefetch-cli");
  EXPECT_NE(ReadFileText(stage / "opt/tunefetch/share/applications/org.tunefetch.Tunefetch.desktop")
                .find("Exec=\"/opt/tunefetch/lib/tunefetch/tunefetch\" %f"),
            std::string::npos);
  ASSERT_EQ(Shell(Script() + " uninstall /opt/tunefetch " + Quoted(stage.Path()) + " >/dev/null"),
            0);
  EXPECT_TRUE(FilesBelow(stage.Path()).empty());
  for (const char* prefix : {"relative/prefix", "/opt/100%", "/opt/a$b"})
    EXPECT_EQ(Shell(Script() + " install " + Quoted(fs::path(TF_PROGRAM_DIR).parent_path()) + " " +
                    Quoted(prefix) + " " + Quoted(stage.Path()) + " 2>/dev/null"),
              2)
        << prefix;
}
