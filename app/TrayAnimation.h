#pragma once
// The tray icon's picture at each tick of the main window's timer: the note
// turns by one eighth for every quarter second in which data arrived, stands
// still while a transfer waits, and is the black idle note whenever no
// transfer is in progress. Each animation restarts at the upright frame.

#include <cstdint>
#include <optional>

// Which picture the tray icon shows: a frame of the turning note (0 upright,
// then 45 degrees more clockwise each) or the idle note.
struct TrayPicture {
  static constexpr int kIdle = -1;
  int frame = kIdle;
  bool operator==(const TrayPicture&) const = default;
};

class TrayAnimation {
 public:
  // One tick. `show` is called with every picture change in the order it is
  // asked for: a frame when data arrived, then the idle note when the phase is
  // idle (so an idle tick ends on the idle note even if data was flagged).
  template <typename Show>
  void Tick(bool dataArrived, std::int32_t phase, Show&& show) {
    if (dataArrived) show(TrayPicture{m_nCounter++ % 8});
    if (phase == 0) {
      m_nCounter = 0;
      show(TrayPicture{});
    }
  }

 private:
  int m_nCounter = 0;
};
