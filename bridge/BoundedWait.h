#pragma once
// The one way the bridge waits for a player: poll, with a limit.

#include <chrono>
#include <functional>
#include <thread>

// Polls `condition` every 20 ms until it holds (true) or `limit` has passed
// (false).
inline bool PollUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}
