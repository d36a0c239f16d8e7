#pragma once
// What the main window does four times a second: turn the activity indicator,
// step the tray animation, move the progress bar, show "----" while no worker
// exists, show the transfer rate once a second, and clear the data flag, in
// that order. Plain logic over the shared download state, so it runs and is
// tested without a display.

#include <cstdint>
#include <functional>

#include "app/TrayAnimation.h"

class CDownloadCore;

inline constexpr int kMainWndTimerMilliseconds = 250;

class MainWndTimer {
 public:
  using ShowTrayPicture = std::function<void(TrayPicture)>;

  MainWndTimer(CDownloadCore& core, ShowTrayPicture showTrayPicture);

  // One tick of the 250 ms timer.
  void Tick();

 private:
  void StepIndicator();
  void StepProgress();
  void StepRate();

  CDownloadCore& m_core;
  ShowTrayPicture m_showTrayPicture;
  TrayAnimation m_trayAnimation;
  int m_nIndicatorFrame = 0;
  int m_nRateTicks = 0;
  std::int64_t m_nPreviousBytes = 0;
};
