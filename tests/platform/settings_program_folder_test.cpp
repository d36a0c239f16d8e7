// The program folder however the program is started: by a relative path,
// through a link, by bare name on PATH. Every start must find the same
// settings file, language file and version page; argument zero, used only
// where the system cannot name the executable, must lead to the same file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/ProgramPath.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

// <scratch>/app holds the program and its files; <scratch>/bin links to it
// the way an install puts a link on PATH; <scratch>/elsewhere is a working
// folder with nothing in it.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"app", "bin", "elsewhere"}) fs::create_directory(m_scratch / folder);
    fs::copy_file(std::string(TF_TOOLS_DIR) + "/program_paths", m_scratch / "app/tunefetch");
    for (const char* file : {"Japanese.lng", "version.html"})
      fs::copy_file(std::string(TF_PROGRAM_DIR) + "/" + file,
                    m_scratch / ("app/" + std::string(file)));
    fs::create_symlink("../app/tunefetch", m_scratch / "bin/tunefetch");
    WriteFileText(m_scratch / "app/readme", "not a program");
    m_folder = fs::canonical(m_scratch / "app").string();
  }

  // Starts `program` from `workingFolder` with PATH `searchPath`; returns its
  // report, or the exit status when it failed.
  std::string Start(const std::string& workingFolder, const std::string& program,
                    const std::string& searchPath) {
    const std::string report = m_scratch / "report.txt";
    const pid_t pid = fork();
    if (pid == 0) {
      const int out = open(report.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(out, STDOUT_FILENO);
      setenv("PATH", searchPath.c_str(), 1);
      if (chdir(workingFolder.c_str()) != 0) _exit(126);
      char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
      execvp(program.c_str(), argv);
      _exit(127);
    }
    const int status = WaitForChildExit(pid);
    return status == 0 ? ReadFileText(report) : "exit status " + std::to_string(status);
  }

  ScratchFolder m_scratch;
  std::string m_folder;
  // A Japanese user, so the stand-in reads the language file it finds.
  ScopedEnvironment m_language{"LANG", "ja_JP.UTF-8"};
};

TEST_F(ProgramFolderTest, EveryWayOfStartingFindsTheSameFolder) {
  struct Case {
    const char* how;
    std::string workingFolder, program, searchPath;
  };
  const Case cases[] = {
      {"relative path", m_scratch.Path(), "./app/tunefetch", "/usr/bin"},
      {"link by full path", m_scratch / "elsewhere", m_scratch / "bin/tunefetch", "/usr/bin"},
      {"link by relative path", m_scratch / "elsewhere", "../bin/tunefetch", "/usr/bin"},
      {"bare name on PATH", m_scratch / "elsewhere", "tunefetch",
       "/usr/bin:" + (m_scratch / "bin")},
  };
  int starts = 0;
  for (const Case& start : cases) {
    SCOPED_TRACE(start.how);
    EXPECT_EQ(Start(start.workingFolder, start.program, start.searchPath),
              "folder: " + m_folder + "\nsettings: " + m_folder + "/tunefetch.ini\nstarts: " +
                  std::to_string(++starts) + "\n1013: 関連付けされています\nversion page: file://" +
                  m_folder + "/version.html\n");
  }
  EXPECT_FALSE(FileExists(m_scratch / "bin/tunefetch.ini"));
  EXPECT_FALSE(FileExists(m_scratch / "elsewhere/tunefetch.ini"));
  EXPECT_FALSE(FileExists(m_scratch / "tunefetch.ini"));
}

TEST_F(ProgramFolderTest, ArgumentZeroLeadsToTheExecutableItself) {
  const std::string program = m_folder + "/tunefetch";
  struct Case {
    std::string argument0, workingFolder, searchPath, expected;
  };
  const Case cases[] = {
      {"./app/tunefetch", m_scratch.Path(), "", program},
      {"../bin/tunefetch", m_scratch / "elsewhere", "", program},  // link resolved
      {m_scratch / "bin/../app/tunefetch", "/", "", program},
      {"tunefetch", "/", "/nonexistent:" + (m_scratch / "app/readme") + ":" + (m_scratch / "bin"),
       program},
      {"tunefetch", m_scratch / "app",
       "/nonexistent:", program},                            // an empty entry is the working folder
      {"tunefetch", m_scratch / "app", "/nonexistent", ""},  // a bare name is not looked up here
      {"readme", m_scratch / "elsewhere", m_scratch / "app", ""},  // not executable
      {"./app/readme", m_scratch.Path(), "", ""},
      {"./app", m_scratch.Path(), "", ""},  // a folder
      {"./app/missing", m_scratch.Path(), "", ""},
      {"", m_scratch.Path(), m_scratch / "app", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ResolveArgument0(c.argument0, c.workingFolder, c.searchPath), c.expected)
        << c.argument0 << " from " << c.workingFolder << " with PATH " << c.searchPath;
}

TEST(ProgramPath, SetPathStandsInForTheExecutableUntilCleared) {
  const std::string executable = GetExecutablePath();
  ASSERT_TRUE(executable.starts_with('/'));
  EXPECT_EQ(GetProgramPath(), executable);
  SetProgramArgument0("/somewhere/else/tunefetch");  // no stand-in while the system names the file
  EXPECT_EQ(GetExecutablePath(), executable);
  SetProgramPath("/opt/tunes/tunefetch");
  EXPECT_EQ(GetProgramFolder(), "/opt/tunes");
  EXPECT_EQ(ProgramFilePath("Skins"), "/opt/tunes/Skins");
  SetProgramPath("");
  EXPECT_EQ(GetProgramFolder(), fs::path(executable).parent_path().string());
}

}  // namespace
