#pragma once
// What the download core asks of the window that shows it. The main window
// implements it; the download core never includes a GUI header. Every call may
// come from the worker thread, so an implementation hands drawing to the GUI
// thread and must not wait for the worker.

#include <string>

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class DownloadObserver {
 public:
  virtual ~DownloadObserver() = default;

  // Repaint one panel from the values stored in the download core.
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
};
