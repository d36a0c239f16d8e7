#pragma once
// The terminal front end's side of the download core: message boxes become
// lines on standard error (the player question is asked on the terminal
// when standard input is one), finished items become lines, and the progress
// of the current transfer is drawn on one line of a terminal, in place.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/DownloadCore.h"

class TerminalObserver : public DownloadObserver {
 public:
  struct Style {
    bool progressLine;  // standard error is a terminal and --quiet was not given
    bool askOnTerminal;  // standard input is a terminal
    bool answerYes;      // --yes
  };

  TerminalObserver(CDownloadCore& core, Style style);

  // The list being loaded, named in reports of refused lines.
  void SetListName(std::string name);

  // Redraws the progress line; the main thread calls it about four times a
  // second. Does nothing without a progress line or a current transfer.
  void Tick();

  // Ends a question waiting for its answer (as No) and any to come: the run
  // is being stopped. Safe from any thread.
  void Cancel() { m_cancelled = true; }

  // Ends the progress line, if one is drawn, so the shell's prompt starts on
  // a line of its own.
  void Finish();

  void DrawCurrentFilePanel() override;
  void DrawStatusPanel() override {}
  void DrawProgressPanel() override {}
  void DrawIndicatorPanel() override {}
  void OnItemAppended() override {}
  void OnHeadItemRemoved() override {}
  MessageAnswer ShowMessageBox(const std::string& text, MessageButtons buttons) override;
  void SetTrayTip(const std::string&) override {}
  void RequestClose() override {}  // the run's end is the end of the program
  void OnItemDone(const CDownloadItem& item, ItemOutcome outcome) override;
  void OnItemFailed(const CDownloadItem& item, const FailureReason& reason) override;
  void OnLineRefused(std::size_t lineNumber, RefusedLine why) override;

 private:
  MessageAnswer AskYesNo();
  void ClearProgressLine();  // with m_outputMutex held

  CDownloadCore& m_core;
  const Style m_style;
  std::atomic<bool> m_cancelled{false};

  std::mutex m_outputMutex;  // one writer at a time on standard output and error
  // Guarded by m_outputMutex:
  std::string m_listName;
  std::string m_currentName;
  bool m_progressShown = false;
  std::int64_t m_lastBytes = 0;
  std::chrono::steady_clock::time_point m_lastTick;
  double m_rate = 0;
};
