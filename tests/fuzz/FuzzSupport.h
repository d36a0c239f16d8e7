#pragma once
// What the fuzz targets share: a sandbox for the whole run (no target may
// touch the real home, bus or registry), a program folder of its own, and
// the check that turns a broken promise into a crash libFuzzer reports.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/support/ScratchFolder.h"
#include "tests/support/TestSandbox.h"

inline void FuzzCheck(bool condition) {
  if (!condition) std::abort();
}

inline std::string_view FuzzText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Enters the sandbox once and makes the program folder (its tunefetch.ini is
// the settings file) that lives for the whole run.
inline ScratchProgramFolder& FuzzProgramFolder() {
  // Kept alive past every static destructor, for the removal at exit.
  static const std::string* const sandbox = [] {
    auto* root = new std::string(EnterTestSandbox());
    std::atexit([] { RemoveTestSandbox(*sandbox); });
    return root;
  }();
  static ScratchProgramFolder folder;
  return folder;
}
