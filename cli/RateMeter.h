#pragma once
// The transfer rate over the last few seconds, as curl and wget show it: a
// server that sends in bursts reads as its average, not as a burst and then
// "0 B/s" until the next one.

#include <chrono>
#include <cstdint>
#include <deque>
#include <utility>

class RateMeter {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kWindow{5};

  // Starts measuring a new transfer: no bytes at `now`.
  void Restart(Clock::time_point now);

  // Notes `bytes` received so far at `now`; returns the bytes per second
  // over the last kWindow (or since Restart, when that is shorter).
  double Add(Clock::time_point now, std::int64_t bytes);

 private:
  std::deque<std::pair<Clock::time_point, std::int64_t>> m_samples;  // oldest first
};
