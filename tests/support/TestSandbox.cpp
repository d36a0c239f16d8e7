#include "tests/support/TestSandbox.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

// Set by tests/CMakeLists.txt together with the sandbox variables.
constexpr const char* kSandboxMarker = "TUNEFETCH_TEST_SANDBOX";

}  // namespace

std::string EnterTestSandbox() {
  if (std::getenv(kSandboxMarker)) return {};
  std::error_code failed;
  std::string root =
      (std::filesystem::temp_directory_path(failed) / "tunefetch-test-XXXXXX").string();
  if (!mkdtemp(root.data())) throw std::runtime_error("cannot make a test sandbox");
  for (const char* folder : {"/home", "/config", "/tmp", "/runtime"}) {
    if (mkdir((root + folder).c_str(), 0700) != 0)
      throw std::runtime_error("cannot make a test sandbox");
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
      // One locale whoever runs the tests: GENERAL/LANGUAGE defaults from it.
      {"LC_ALL", ""},
      {"LC_MESSAGES", ""},
      {"LANG", "C.UTF-8"},
      {kSandboxMarker, root},
  };
  for (const auto& each : variables) setenv(each.name, each.value.c_str(), 1);
  return root;
}

void RemoveTestSandbox(const std::string& root) {
  if (root.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}
