#pragma once
// What the download core asks of the window that shows it. The main window
// implements it; the download core never includes a GUI header. Every call may
// come from the worker thread, so an implementation hands drawing to the GUI
// thread and must not wait for the worker.

#include <cstddef>
#include <string>

#include "core/FailureReason.h"

class CDownloadItem;

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// How the worker was done with an item it removed from the queue.
enum class ItemOutcome {
  Fetched,  // downloaded and handed to the player
  Present,  // already on disk, handed to the player without a transfer
  Dropped,  // skipped, or failed with CONTINUE_AFTER_ERROR on; not handed over
};

// "fetched", "present" or "dropped", for reports of finished items.
constexpr const char* ItemOutcomeWord(ItemOutcome outcome) {
  switch (outcome) {
    case ItemOutcome::Fetched:
      return "fetched";
    case ItemOutcome::Present:
      return "present";
    case ItemOutcome::Dropped:
      return "dropped";
  }
  return "";
}

// Why the list reader did not queue an item line.
enum class RefusedLine {
  NoFileName,         // the line names no file (an empty line, or only "." and "..")
  UrlTooLong,         // the escaped server path is longer than the design's buffer
  PathTooLong,        // the local path, or one of its names, is too long for the system
  SaveFolderTooLong,  // CACHE/SAVE_DIR fills the settings' 1023 bytes, so it may have been cut
};

class DownloadObserver {
 public:
  virtual ~DownloadObserver() = default;

  // Repaint one panel from the values stored in the download core. With the
  // status comes its reason (GetStatusReason), empty or more than the status
  // word says: the window's tooltip of the status panel, a terminal's line.
  virtual void DrawCurrentFilePanel() = 0;
  virtual void DrawStatusPanel() = 0;
  virtual void DrawProgressPanel() = 0;
  virtual void DrawIndicatorPanel() = 0;

  // The queue grew by one item at its end / lost its head item.
  virtual void OnItemAppended() = 0;
  virtual void OnHeadItemRemoved() = 0;

  // Shows `text` in a message box with the exclamation icon and waits for the
  // user's answer. A window that is closing answers at once (No or Ok).
  virtual MessageAnswer ShowMessageBox(const std::string& text, MessageButtons buttons) = 0;

  // The tray icon's tip: the current item's display name, already cut to
  // kTrayTipBytes at a character boundary.
  virtual void SetTrayTip(const std::string& tip) = 0;

  // The worker's request to close the window once the queue is done, as if
  // the user had closed it. Must only be queued, never waited for: the close
  // handler waits for the worker.
  virtual void RequestClose() = 0;

  // Informational, for front ends that report per item (the terminal one);
  // the window needs neither. `item` is still the queue's head and is
  // removed right after the call.
  virtual void OnItemDone(const CDownloadItem& /*item*/, ItemOutcome /*outcome*/) {}
  // The last attempt at `item` (the queue's head) failed for `reason`; the
  // item is kept, dropped or retried later as the worker decides. The
  // window shows the same reason with its status word.
  virtual void OnItemFailed(const CDownloadItem& /*item*/, const FailureReason& /*reason*/) {}
  // Line `lineNumber` (from 1) of a list was not queued.
  virtual void OnLineRefused(std::size_t /*lineNumber*/, RefusedLine /*why*/) {}
};

// The tray tip holds this many bytes.
inline constexpr std::size_t kTrayTipBytes = 63;
