// The main of every test program. Under CTest each test already runs in a
// sandbox of its own (home, config, runtime, bus and registry folders). Run by
// hand, a test would otherwise use the real ones, so it makes a scratch
// sandbox first, points every variable at it and removes it at the end.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// Set per test by tests/CMakeLists.txt, together with the sandbox variables.
constexpr const char* kSandboxMarker = "TUNEFETCH_TEST_SANDBOX";

std::string MakeSandbox() {
  std::error_code failed;
  std::string root = (std::filesystem::temp_directory_path(failed) / "tunefetch-test-XXXXXX").string();
  if (!mkdtemp(root.data())) return {};
  for (const char* folder : {"/home", "/config", "/tmp", "/runtime"}) {
    if (mkdir((root + folder).c_str(), 0700) != 0) return {};
  }
  const struct {
    const char* name;
    std::string value;
  } variables[] = {
      {"HOME", root + "/home"},
      {"XDG_CONFIG_HOME", root + "/config"},
      {"XDG_RUNTIME_DIR", root + "/runtime"},
      {"TMPDIR", root + "/tmp"},
      {"TUNEFETCH_BUS", root + "/runtime/bus"},
      {"TUNEFETCH_REGISTRY", root + "/config/classes.reg"},
      {"http_proxy", ""},
      {"no_proxy", ""},
      {kSandboxMarker, root},
  };
  for (const auto& each : variables) setenv(each.name, each.value.c_str(), 1);
  return root;
}

}  // namespace

int main(int argc, char** argv) {
  std::string ownSandbox;
  if (!std::getenv(kSandboxMarker)) {
    ownSandbox = MakeSandbox();
    if (ownSandbox.empty()) {
      std::perror("cannot make a test sandbox");
      return 2;
    }
  }
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  if (!ownSandbox.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(ownSandbox, ignored);
  }
  return result;
}
