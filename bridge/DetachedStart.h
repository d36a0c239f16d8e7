#pragma once
// Starting a player the way a desktop starts a program.

#include <string>

// Starts `commandLine` (split into words as a shell would, the program looked
// up on PATH) detached from this process: in a session of its own and not our
// child, so it outlives the bridge and leaves no zombie. False with the reason
// in `error` when it cannot be started (empty, unbalanced quotes, missing or
// not executable).
bool StartDetached(const std::string& commandLine, std::string& error);
