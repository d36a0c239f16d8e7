#include "cli/RateMeter.h"

void RateMeter::Restart(Clock::time_point now) {
  m_samples.clear();
  m_samples.emplace_back(now, 0);
}

double RateMeter::Add(Clock::time_point now, std::int64_t bytes) {
  if (m_samples.empty()) Restart(now);
  m_samples.emplace_back(now, bytes);
  // The oldest sample kept is the last one at or before the window's start,
  // so the rate always spans the whole window once it has passed.
  while (m_samples.size() > 2 && m_samples[1].first <= now - kWindow) m_samples.pop_front();
  const auto& [firstTime, firstBytes] = m_samples.front();
  const double seconds = std::chrono::duration<double>(now - firstTime).count();
  if (seconds <= 0 || bytes < firstBytes) return 0;
  return static_cast<double>(bytes - firstBytes) / seconds;
}
