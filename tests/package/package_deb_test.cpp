// The Debian package as a user meets it: packed from this build
// (scripts/make-deb.sh, no compiling), checked by lintian and the desktop's
// validators, then unpacked into a scratch root, where the packed
// tunefetch-cli fetches a list as a new user would: its settings file must
// appear in that user's configuration folder, and nothing may be written
// below the root, though the test may well run as root.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "platform/ProgramVersion.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PlayerDouble.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"

namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// Runs `command` with /bin/sh, bounded by `limit`; its exit status, and what
// it wrote to standard output and error in `output`.
int RunShell(const std::string& command, std::string& output,
             std::chrono::seconds limit = std::chrono::seconds(60)) {
  ScratchFolder capture;
  const std::string file = capture / "output";
  // The tools speak plain English, whatever locale the test runs in.
  const std::string whole = "export LC_ALL=C.UTF-8; " + command + " >" + Quoted(file) + " 2>&1";
  const int status = RunInChild(
      [&] { return execl("/bin/sh", "sh", "-c", whole.c_str(), nullptr) == 0 ? 0 : 127; }, limit);
  output = FileExists(file) ? ReadFileText(file) : "";
  return status;
}

bool HasTool(const std::string& tool) {
  std::string ignored;
  return RunShell("command -v " + tool, ignored) == 0;
}

std::set<std::string> Lines(const std::string& text) {
  std::set<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.insert(line);
  return lines;
}

// Every file and link below `root`, with its size and change time, so a
// write anywhere shows.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat info {};
    lstat(entry.path().c_str(), &info);
    files[entry.path().string()] = std::to_string(info.st_size) + "@" +
                                   std::to_string(info.st_ctim.tv_sec) + "." +
                                   std::to_string(info.st_ctim.tv_nsec);
  }
  return files;
}

// Packs the build once for every test here.
class PackageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "lintian"})
      if (!HasTool(tool))
        s_skipReason = std::string(tool) + " is missing (dpkg-dev, lintian): package not tested";
    if (!FileExists(std::string(TF_PROGRAM_DIR) + "/tunefetch"))
      s_skipReason = "this build has no window program: package not tested";
    if (!s_skipReason.empty()) return;
    s_out = new ScratchFolder;
    std::string output;
    s_status =
        RunShell(std::string(TF_SOURCE_DIR) + "/scripts/make-deb.sh " +
                     Quoted(fs::path(TF_PROGRAM_DIR).parent_path()) + " " + Quoted(s_out->Path()),
                 output, std::chrono::seconds(120));
    // The script's last line names the package.
    const size_t end = output.find_last_not_of('\n');
    s_package = end == std::string::npos
                    ? ""
                    : output.substr(output.rfind('\n', end) + 1, end - output.rfind('\n', end));
    s_packOutput = output;
  }
  static void TearDownTestSuite() { delete s_out; }

  void SetUp() override {
    if (!s_skipReason.empty()) GTEST_SKIP() << s_skipReason;
    ASSERT_EQ(s_status, 0) << s_packOutput;
  }

  // The package unpacked into `root`.
  static void Extract(const std::string& root) {
    std::string output;
    ASSERT_EQ(RunShell("dpkg-deb -x " + Quoted(s_package) + " " + Quoted(root), output), 0)
        << output;
  }

  static inline std::string s_skipReason;
  static inline ScratchFolder* s_out = nullptr;
  static inline int s_status = -1;
  static inline std::string s_package, s_packOutput;
};

TEST_F(PackageTest, LintianFindsNothingAndTheFilesAreAnInstallsFiles) {
  std::string output;
  EXPECT_EQ(RunShell("lintian --fail-on error,warning " + Quoted(s_package), output,
                     std::chrono::seconds(240)),
            0)
      << output;

  ASSERT_EQ(
      RunShell("dpkg-deb --fsys-tarfile " + Quoted(s_package) + " | tar -t | grep -v '/$'", output),
      0);
  std::set<std::string> expected = {
      "./usr/bin/tunefetch",
      "./usr/bin/tunefetch-bridge",
      "./usr/bin/tunefetch-cli",
      "./usr/lib/tunefetch/Japanese.lng",
      "./usr/lib/tunefetch/system-install",
      "./usr/lib/tunefetch/tunefetch",
      "./usr/lib/tunefetch/tunefetch-bridge",
      "./usr/lib/tunefetch/tunefetch-cli",
      "./usr/lib/tunefetch/version.html",
      "./usr/share/applications/org.tunefetch.Tunefetch.desktop",
      "./usr/share/doc/tunefetch/changelog.gz",
      "./usr/share/doc/tunefetch/copyright",
      "./usr/share/icons/hicolor/scalable/apps/tunefetch.svg",
      "./usr/share/man/man1/tunefetch-bridge.1.gz",
      "./usr/share/man/man1/tunefetch-cli.1.gz",
      "./usr/share/man/man1/tunefetch.1.gz",
      "./usr/share/metainfo/org.tunefetch.Tunefetch.metainfo.xml",
      "./usr/share/mime/packages/tunefetch.xml",
  };
  for (const char* size : {"16", "24", "32", "48", "64", "128", "256"})
    expected.insert("./usr/share/icons/hicolor/" + std::string(size) + "x" + size +
                    "/apps/tunefetch.png");
  for (const auto& entry : fs::recursive_directory_iterator(std::string(TF_PROGRAM_DIR) + "/Skins"))
    if (entry.is_regular_file())
      expected.insert("./usr/lib/tunefetch/" + fs::relative(entry.path(), TF_PROGRAM_DIR).string());
  EXPECT_EQ(Lines(output), expected);
}

TEST_F(PackageTest, DesktopEntryAppStreamDataAndManualPagesValidate) {
  ScratchFolder root;
  Extract(root.Path());
  const std::string share = root / "usr/share";
  std::string output;
  EXPECT_EQ(RunShell("desktop-file-validate " +
                         Quoted(share + "/applications/org.tunefetch.Tunefetch.desktop"),
                     output),
            0);
  EXPECT_EQ(output, "") << "no errors, warnings or hints";
  EXPECT_NE(ReadFileText(share + "/applications/org.tunefetch.Tunefetch.desktop")
                .find("MimeType=application/x-tunefetch-list;"),
            std::string::npos);
  EXPECT_EQ(RunShell("appstreamcli validate --no-net " +
                         Quoted(share + "/metainfo/org.tunefetch.Tunefetch.metainfo.xml"),
                     output),
            0)
      << output;
  for (const char* page : {"tunefetch", "tunefetch-cli", "tunefetch-bridge"}) {
    EXPECT_EQ(RunShell("{ MANWIDTH=80 man --warnings -E UTF-8 -l " +
                           Quoted(share + "/man/man1/" + page + ".1.gz") + " >/dev/null; }",
                       output),
              0);
    EXPECT_EQ(output, "") << page;
  }
}

TEST_F(PackageTest, ExtractedCliKeepsANewUsersSettingsInTheUsersFolder) {
  ScratchFolder scratch;
  const std::string root = scratch / "root";
  Extract(root);
  for (const char* folder : {"home", "save"}) fs::create_directory(scratch / folder);
  TestHttpServer server;
  server.SetReply(PatternReply(20000));
  WriteFileText(scratch / "list.mpq", "//!baseurl " + server.Url("/") + "\nsong.mp3\n");
  // The player is found on the test's bus, so no real one is started.
  PlayerDouble player(PlayerDoubleOptions{});
  ASSERT_TRUE(player.Window());

  const std::map<std::string, std::string> before = Snapshot(root);
  const std::string environment =
      "HOME=" + Quoted(scratch / "home") + " XDG_CONFIG_HOME=" + Quoted(scratch / "config") +
      " XDG_DATA_HOME=" + Quoted(scratch / "data") + " LC_ALL= LC_MESSAGES= LANG=C.UTF-8 ";
  const std::string cli = root + "/usr/bin/tunefetch-cli";
  std::string output;
  ASSERT_EQ(RunShell(environment + Quoted(cli) + " --quiet --save-dir " + Quoted(scratch / "save") +
                         " " + Quoted(scratch / "list.mpq"),
                     output),
            0)
      << output;
  EXPECT_EQ(ReadFileText(scratch / "save/song.mp3"), PatternBody(20000));

  const std::string settings = scratch / "config/tunefetch/tunefetch.ini";
  ASSERT_TRUE(FileExists(settings));
  struct stat info {};
  ASSERT_EQ(stat(settings.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // A message in the locale's language, and that language written back.
  EXPECT_EQ(RunShell(environment + Quoted(cli) + " " + Quoted(scratch / "missing.mpq"), output), 2);
  EXPECT_EQ(output,
            "tunefetch-cli: Could not open Download List: " + (scratch / "missing.mpq") + "\n");
  EXPECT_NE(ReadFileText(settings).find("LANGUAGE=English"), std::string::npos);
  EXPECT_EQ(Snapshot(root), before) << "nothing is written below the program's root";

  ASSERT_EQ(RunShell(environment + Quoted(cli) + " --help", output), 0);
  EXPECT_NE(output.find("Settings file: " + settings + "\n"), std::string::npos) << output;
  ASSERT_EQ(RunShell(Quoted(cli) + " --version", output), 0);
  EXPECT_EQ(output, VersionLine("tunefetch-cli"));
}

}  // namespace
