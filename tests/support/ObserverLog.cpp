#include "tests/support/ObserverLog.h"

#include "tests/support/ChildProcess.h"

std::vector<std::string> ObserverLog::Events() const {
  std::lock_guard lock(m_mutex);
  return m_events;
}

std::vector<std::string> ObserverLog::EventsStartingWith(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& event : Events())
    if (event.starts_with(prefix)) found.push_back(event);
  return found;
}

void ObserverLog::Clear() {
  std::lock_guard lock(m_mutex);
  m_events.clear();
}

MessageAnswer ObserverLog::ShowMessageBox(const std::string& text, MessageButtons buttons) {
  Add("box:" + text);
  return buttons == MessageButtons::YesNo ? yesNoAnswer : MessageAnswer::Ok;
}

void ObserverLog::OnItemDone(const CDownloadItem& item, ItemOutcome outcome) {
  Add(std::string("done:") + ItemOutcomeWord(outcome) + ":" + item.GetDisplayName());
}

void ObserverLog::Add(std::string event) {
  std::lock_guard lock(m_mutex);
  m_events.push_back(std::move(event));
}

bool RunWorkerToEnd(CDownloadCore& core) {
  core.StartWorker();
  const bool ended = WaitUntil([&] { return !core.IsWorkerRunning(); }, std::chrono::seconds(20));
  if (ended) core.JoinWorker();
  return ended;
}
