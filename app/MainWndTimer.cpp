#include "app/MainWndTimer.h"

#include <algorithm>
#include <cstdio>

#include "core/DownloadCore.h"

MainWndTimer::MainWndTimer(CDownloadCore& core, ShowTrayPicture showTrayPicture)
    : m_core(core), m_showTrayPicture(std::move(showTrayPicture)) {}

void MainWndTimer::Tick() {
  StepIndicator();
  m_trayAnimation.Tick(m_core.m_bDataArrived, m_core.m_nPhase, m_showTrayPicture);
  StepProgress();
  if (!m_core.IsWorkerRunning()) m_core.SetStatusText(kStatusIdle);
  StepRate();
  m_core.m_bDataArrived = false;
}

// Each arrival of data runs the frames 1, 3, 5, 7 and back to 0; a new run
// starts only at a tick where the frame is 0 and data has arrived.
void MainWndTimer::StepIndicator() {
  if (m_nIndicatorFrame >= 1) {
    m_nIndicatorFrame += 2;
    if (m_nIndicatorFrame >= 8) m_nIndicatorFrame = 0;
  } else if (m_core.m_bDataArrived) {
    m_nIndicatorFrame = 1;
  }
  m_core.SetIndicatorFrame(m_nIndicatorFrame);
}

void MainWndTimer::StepProgress() {
  if (!m_core.IsWorkerRunning()) return;
  const std::int32_t size = m_core.GetCurrentItemSize();
  if (size <= 0) return;
  // The product is taken in 64 bits: in 32 it wraps past 21 MB received and
  // the bar would jump back or vanish on a long file.
  const std::int64_t percent = std::int64_t{m_core.m_nBytesReceived} * 100 / size;
  m_core.SetProgress(static_cast<std::int32_t>(std::clamp<std::int64_t>(percent, 0, 100)));
}

// Kilobytes (of 1000 bytes) received in the last second, without a unit.
void MainWndTimer::StepRate() {
  if (++m_nRateTicks % 4 != 0) return;
  // Every transfer's arrivals count, files fetched ahead of the shown one
  // too; bytes a resumed transfer found on disk did not arrive.
  const std::int64_t arrived = m_core.m_nBytesArrived;
  if (m_core.m_bRunning && m_nPreviousBytes < arrived) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f",
                  static_cast<double>(arrived - m_nPreviousBytes) * 0.001);
    m_core.SetStatusText(text);
  }
  m_nPreviousBytes = arrived;
}
