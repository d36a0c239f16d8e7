#pragma once
// A download observer for tests that writes down everything the core tells
// the window, in order, as short texts: "file:<name>", "status:<text>",
// "progress:<n>", "tip:<text>", "appended", "removed", "box:<text>",
// "close", "done:<fetched|present|dropped>:<name>", "failed:<name>:<reason>",
// "refused:<line>".

#include <mutex>
#include <string>
#include <vector>

#include "core/DownloadCore.h"

class ObserverLog : public DownloadObserver {
 public:
  explicit ObserverLog(CDownloadCore& core) : m_core(core) {}

  // Answer to Yes/No questions; No unless changed.
  MessageAnswer yesNoAnswer = MessageAnswer::No;

  std::vector<std::string> Events() const;
  // The events that begin with `prefix`.
  std::vector<std::string> EventsStartingWith(const std::string& prefix) const;
  void Clear();

  void DrawCurrentFilePanel() override { Add("file:" + m_core.GetCurrentFileText()); }
  void DrawStatusPanel() override { Add("status:" + m_core.GetStatusText()); }
  void DrawProgressPanel() override { Add("progress:" + std::to_string(m_core.m_nProgress)); }
  void DrawIndicatorPanel() override {}
  void OnItemAppended() override { Add("appended"); }
  void OnHeadItemRemoved() override { Add("removed"); }
  MessageAnswer ShowMessageBox(const std::string& text, MessageButtons buttons) override;
  void SetTrayTip(const std::string& tip) override { Add("tip:" + tip); }
  void RequestClose() override { Add("close"); }
  void OnItemDone(const CDownloadItem& item, ItemOutcome outcome) override;
  void OnItemFailed(const CDownloadItem& item, const FailureReason& reason) override {
    Add("failed:" + item.GetDisplayName() + ":" + reason.text);
  }
  void OnLineRefused(std::size_t lineNumber, RefusedLine) override {
    Add("refused:" + std::to_string(lineNumber));
  }

 private:
  void Add(std::string event);

  CDownloadCore& m_core;
  mutable std::mutex m_mutex;
  std::vector<std::string> m_events;  // guarded by m_mutex
};

// Starts the worker of `core` and waits (bounded) until it has ended.
// False when it was still running after the limit.
bool RunWorkerToEnd(CDownloadCore& core);
