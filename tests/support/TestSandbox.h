#pragma once
// A sandbox for a test or fuzz program run by hand: a scratch folder with its
// own home, config, temporary, runtime, bus and registry places, and every
// variable the program reads them from pointed into it. CTest sets these per
// test already (and the marker variable with them), so then nothing is made.

#include <string>

// Makes the sandbox unless the marker variable says one is in place. The
// root of a sandbox made here, to be removed at the end; "" when none was
// needed. Throws std::runtime_error when the folders cannot be made.
std::string EnterTestSandbox();

// Removes a sandbox EnterTestSandbox made ("" does nothing).
void RemoveTestSandbox(const std::string& root);
