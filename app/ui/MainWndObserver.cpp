#include "app/ui/MainWndObserver.h"

#include <wx/thread.h>

#include <chrono>
#include <future>
#include <memory>

#include "app/ui/AppMessageBox.h"
#include "app/ui/MainWnd.h"

namespace {

MessageAnswer UnansweredAnswer(MessageButtons buttons) {
  return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

}  // namespace

template <typename Call>
void MainWndObserver::OnGuiThread(Call call) {
  std::lock_guard lock(m_mutex);
  if (!m_pWindow) return;
  if (wxThread::IsMain()) {
    call(*m_pWindow);
    return;
  }
  CMainWnd* window = m_pWindow;
  window->CallAfter([window, call] { call(*window); });
}

void MainWndObserver::Detach() {
  std::lock_guard lock(m_mutex);
  m_pWindow = nullptr;
}

void MainWndObserver::DrawCurrentFilePanel() {
  OnGuiThread([](CMainWnd& window) { window.DrawCurrentFilePanel(); });
}
void MainWndObserver::DrawStatusPanel() {
  OnGuiThread([](CMainWnd& window) { window.DrawStatusPanel(); });
}
void MainWndObserver::DrawProgressPanel() {
  OnGuiThread([](CMainWnd& window) { window.DrawProgressPanel(); });
}
void MainWndObserver::DrawIndicatorPanel() {
  OnGuiThread([](CMainWnd& window) { window.DrawIndicatorPanel(); });
}
void MainWndObserver::OnItemAppended() {
  OnGuiThread([](CMainWnd& window) { window.OnItemAppended(); });
}
void MainWndObserver::OnHeadItemRemoved() {
  OnGuiThread([](CMainWnd& window) { window.OnHeadItemRemoved(); });
}
void MainWndObserver::SetTrayTip(const std::string& tip) {
  OnGuiThread([tip](CMainWnd& window) { window.SetTrayTip(tip); });
}
// Counted at once, on the worker thread: queued, the count could trail the
// worker's end, which the window's timer sees.
void MainWndObserver::OnItemDone(const CDownloadItem&, ItemOutcome outcome) {
  std::lock_guard lock(m_mutex);
  if (m_pWindow) m_pWindow->OnItemDone(outcome);
}
void MainWndObserver::RequestClose() {
  // Queued even on the GUI thread: the close must not run inside the call
  // that asked for it.
  std::lock_guard lock(m_mutex);
  if (m_pWindow) m_pWindow->CallAfter([window = m_pWindow] { window->CloseAfterRun(); });
}

MessageAnswer MainWndObserver::ShowMessageBox(const std::string& text, MessageButtons buttons) {
  if (wxThread::IsMain()) {
    CMainWnd* parent;
    {
      std::lock_guard lock(m_mutex);
      parent = m_pWindow;
    }
    return parent ? ShowAppMessageBox(text, buttons, parent) : UnansweredAnswer(buttons);
  }
  auto answer = std::make_shared<std::promise<MessageAnswer>>();
  std::future<MessageAnswer> answered = answer->get_future();
  {
    std::lock_guard lock(m_mutex);
    if (!m_pWindow) return UnansweredAnswer(buttons);
    m_pWindow->CallAfter([window = m_pWindow, answer, text, buttons] {
      answer->set_value(ShowAppMessageBox(text, buttons, window));
    });
  }
  // A queued box that never shows (the window went first) leaves the promise
  // unset; the detach is noticed at the next look.
  while (answered.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
    std::lock_guard lock(m_mutex);
    if (!m_pWindow) return UnansweredAnswer(buttons);
  }
  try {
    return answered.get();
  } catch (const std::future_error&) {
    return UnansweredAnswer(buttons);
  }
}
