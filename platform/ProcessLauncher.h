#pragma once
// Starting another program in the background, as a desktop starts a program
// from a command: the program runs on its own (in its own session, so a
// terminal's Ctrl+C aimed at us leaves it alone) and is reaped when it ends.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

enum class LaunchError {
  None,
  EmptyProgram,  // nothing to start
  CannotStart,   // the program is missing, not executable, or exec failed
};

struct LaunchResult {
  LaunchError error = LaunchError::None;
  pid_t pid = 0;
};

// Starts `program` with no arguments. The whole text is the program, blanks
// included; it is never split. Text with a "/" is used as the path as it
// stands (relative to the current folder if not absolute); a bare name is
// looked up on $PATH, as a shell would. A program that cannot be started
// fails at once. A background thread waits for the child so it leaves no
// zombie behind.
LaunchResult StartProgram(const std::string& program);

// Runs `arguments` (the program, looked up on $PATH when it has no "/", then
// its arguments) with standard input, output and error on /dev/null, and
// waits up to `limit` for it. Its exit status (0-255), or -1 when it could
// not start, ended by a signal or was killed for running past `limit`.
int RunProgram(const std::vector<std::string>& arguments, std::chrono::milliseconds limit);
