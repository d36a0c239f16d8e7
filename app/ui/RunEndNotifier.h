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

 private:
  RunEndWatch m_watch;
  std::unique_ptr<DesktopNotifier> m_pNotifier;
};
