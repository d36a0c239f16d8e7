// The main of every test program. Run by hand rather than by CTest, a test
// would otherwise use the real home, bus and registry, so it makes a sandbox
// of its own first and removes it at the end.

#include <gtest/gtest.h>

#include <exception>
#include <iostream>

#include "tests/support/TestSandbox.h"

int main(int argc, char** argv) {
  std::string sandbox;
  try {
    sandbox = EnterTestSandbox();
  } catch (const std::exception& failure) {
    std::cerr << failure.what() << "\n";
    return 2;
  }
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  RemoveTestSandbox(sandbox);
  return result;
}
