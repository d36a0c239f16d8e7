#pragma once
// Child processes and bounded waits for tests: every wait for a condition or a
// child process ends after a limit, so a fault shows as a failed test, never
// as a hung run.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// Polls `condition` every 5 ms until it holds (true) or `limit` passes (false).
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(5));

// Waits up to `limit` for child `pid` to end and reaps it. Returns its exit
// status (0-255), -1 when it ended by a signal, or -2 when it was still
// running; a child still running is then killed and reaped.
int WaitForChildExit(pid_t pid, std::chrono::milliseconds limit = std::chrono::seconds(5));

// Runs `work` in a forked child and returns its result (0-255) as
// WaitForChildExit reports it.
int RunInChild(const std::function<int()>& work,
               std::chrono::milliseconds limit = std::chrono::seconds(5));

// Starts `program` with `arguments` (argument zero is the program's file
// name), standard output and error going to the file `outputPath` and
// standard input reading nothing. Returns its pid.
pid_t StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& outputPath);
