#pragma once
// Carries what the download core tells the window to the GUI thread. Calls
// come from the worker thread as well as from the GUI thread; wxWidgets draws
// only on the GUI thread, so each one is queued to the window (in the order
// made) unless it is already there. A message box asked for by the worker is
// shown on the GUI thread while the worker waits; once the window closes,
// every question still pending or asked later is answered at once (No or OK),
// so nothing can wait for the worker while the worker waits for an answer.

#include <mutex>

#include "core/DownloadObserver.h"

class CMainWnd;

class MainWndObserver : public DownloadObserver {
 public:
  explicit MainWndObserver(CMainWnd& window) : m_pWindow(&window) {}

  // The window is closing: it gets no more calls and questions are answered
  // at once. GUI thread.
  void Detach();

  void DrawCurrentFilePanel() override;
  void DrawStatusPanel() override;
  void DrawProgressPanel() override;
  void DrawIndicatorPanel() override;
  void OnItemAppended() override;
  void OnHeadItemRemoved() override;
  MessageAnswer ShowMessageBox(const std::string& text, MessageButtons buttons) override;
  void SetTrayTip(const std::string& tip) override;
  void RequestClose() override;
  void OnItemDone(const CDownloadItem& item, ItemOutcome outcome) override;

 private:
  // Runs `call` with the window on the GUI thread: at once when called there,
  // else queued to the window (a queued call dies with the window).
  template <typename Call>
  void OnGuiThread(Call call);

  std::mutex m_mutex;
  CMainWnd* m_pWindow;  // guarded by m_mutex; null once detached
};
