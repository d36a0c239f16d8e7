// The association as the desktop sees it: after associating, xdg-mime names
// our content type and our program; after releasing, neither, and what other
// programs wrote in the desktop's lists survives both.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "config/DesktopAssociation.h"
#include "config/FileAssociation.h"
#include "platform/ProcessLauncher.h"
#include "platform/ProgramPath.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr const char* kOtherLine = "text/plain=org.other.Editor.desktop;";

class DesktopAssociation : public ::testing::Test {
 protected:
  // What xdg-mime prints for `arguments`, without the line end.
  std::string XdgMime(const std::string& arguments) {
    std::string output;
    if (FILE* pipe = popen(("timeout 20 xdg-mime " + arguments + " 2>/dev/null").c_str(), "r")) {
      char buffer[512];
      while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
      pclose(pipe);
    }
    while (!output.empty() && output.back() == '\n') output.pop_back();
    return output;
  }
  std::string FileType(const std::string& name) {
    const std::string path = m_folder / name;
    WriteFileText(path, "#EXTINF a list\n");
    return XdgMime("query filetype '" + path + "'");
  }
  std::string Default() { return XdgMime("query default " + std::string(kListMimeType)); }
  std::string DesktopFile() { return m_data + "/applications/" + std::string(kDesktopFileName); }

  ScratchFolder m_folder;
  std::string m_data = m_folder / "data";
  std::string m_config = m_folder / "config";
  ScopedEnvironment m_dataHome{"XDG_DATA_HOME", m_data};
  ScopedEnvironment m_configHome{"XDG_CONFIG_HOME", m_config};
  // xdg-mime answers file types from the shared MIME database only for a
  // desktop it knows (through gio for GNOME); its generic answer asks file(1).
  ScopedEnvironment m_desktop{"XDG_CURRENT_DESKTOP", "GNOME"};
  // gio's own local files only: no file-system daemon on a session bus.
  ScopedEnvironment m_vfs{"GIO_USE_VFS", "local"};
  RegistryStore m_store{m_folder / "classes.reg"};
};

}  // namespace

TEST_F(DesktopAssociation, AssociatingTellsTheDesktopAndReleasingTakesItAllBack) {
  std::filesystem::create_directories(m_config);
  std::filesystem::create_directories(m_data + "/applications");
  WriteFileText(m_config + "/mimeapps.list",
                std::string("[Default Applications]\n") + kOtherLine +
                    "\n[Added Associations]\napplication/x-tunefetch-list=other.desktop;\n");
  WriteFileText(m_data + "/applications/defaults.list",
                "[Default Applications]\napplication/x-tunefetch-list=tunefetch-list.desktop;\n");
  const std::string before = FileType("list.mpq");

  AssociateExtension(m_store, ".mpq");
  EXPECT_EQ(FileType("list.mpq"), kListMimeType);
  EXPECT_EQ(FileType("LIST.MPQ"), kListMimeType);
  EXPECT_EQ(Default(), kDesktopFileName);
  const std::string desktopFile = ReadFileText(DesktopFile());
  EXPECT_NE(desktopFile.find("\nExec=" + DesktopExecArgument(GetExecutablePath()) + " %f\n"),
            std::string::npos);
  EXPECT_EQ(RunProgram({"desktop-file-validate", DesktopFile()}, std::chrono::seconds(20)), 0)
      << desktopFile;
  const std::string mimeapps = ReadFileText(m_config + "/mimeapps.list");
  EXPECT_NE(mimeapps.find(kOtherLine), std::string::npos) << mimeapps;
  EXPECT_NE(mimeapps.find("application/x-tunefetch-list=tunefetch-list.desktop;other.desktop;"),
            std::string::npos)
      << mimeapps;

  // A second extension shares the type; releasing one leaves the other.
  AssociateExtension(m_store, ".mpx");
  ReleaseExtension(m_store, ".mpq");
  EXPECT_EQ(FileType("other.mpq"), before);
  EXPECT_EQ(FileType("list.mpx"), kListMimeType);
  EXPECT_EQ(Default(), kDesktopFileName);

  ReleaseExtension(m_store, ".mpx");
  EXPECT_NE(FileType("again.mpx"), kListMimeType);
  EXPECT_EQ(Default(), "");
  EXPECT_FALSE(FileExists(DesktopFile()));
  EXPECT_EQ(ReadFileText(m_config + "/mimeapps.list"),
            std::string("[Default Applications]\n") + kOtherLine +
                "\n[Added Associations]\napplication/x-tunefetch-list=other.desktop;\n");
  EXPECT_EQ(ReadFileText(m_data + "/applications/defaults.list"), "[Default Applications]\n");
}

TEST(DesktopExecArgument, QuotesAndEscapesTheProgramPath) {
  struct Case {
    std::string program;
    std::string written;  // as it stands in the desktop file
  };
  const Case cases[] = {
      {"/usr/bin/tunefetch", "\"/usr/bin/tunefetch\""},
      {"/home/u/My Programs/tunefetch", "\"/home/u/My Programs/tunefetch\""},
      {"/opt/100%/tunefetch", "\"/opt/100%%/tunefetch\""},
      {"/opt/a\"b`c$d/tunefetch", "\"/opt/a\\\\\"b\\\\`c\\\\$d/tunefetch\""},
      {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
      {"/opt/\xE6\x9B\xB2/tunefetch", "\"/opt/\xE6\x9B\xB2/tunefetch\""},
      {"/opt/line\nbreak", ""},
      {"/opt/tab\there", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DesktopExecArgument(c.program), c.written) << c.program;
}
