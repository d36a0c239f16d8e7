#pragma once
// Sends the desktop a notification when a run ends while the window is out
// of sight (hidden in the tray or minimised) and DISP/NOTIFY is on: how many
// files were fetched and into which folder. Clicking it opens that folder.
// Without a session bus or a notification daemon nothing happens, and
// nothing waits for an answer.

#include <gio/gio.h>

#include <memory>

#include "app/desktop/RunEndNotice.h"

class CRunEndNotifier {
 public:
  // `session` may be null (no session bus: no notifications).
  explicit CRunEndNotifier(GDBusConnection* session);
  ~CRunEndNotifier();

  // The worker is done with an item. Any thread.
  void OnItemDone(ItemOutcome outcome) { m_watch.OnItemDone(outcome); }

  // At every tick of the window's timer. GUI thread.
  void Tick(bool workerRunning, bool windowMinimized);

  // The run has ended and closes the window (AUTO_CLOSE), which ends the
  // program: the notice is sent at once, written out before the program
  // ends, and cannot be clicked, since no one is left to answer. GUI thread.
  void OnRunClosesWindow(bool windowMinimized);

 private:
  bool Wanted(bool windowMinimized) const;

  RunEndWatch m_watch;
  std::unique_ptr<DesktopNotifier> m_pNotifier;
};
