#pragma once
// The terminal front end's side of the download core: message boxes become
// lines on standard error (the player question is asked on the terminal
// when standard input is one), finished items become lines, and the progress
// of the current transfer and of the whole run is drawn on one line of a
// terminal, in place, fitted to the terminal's width. Every text that came
// from outside is printed through TerminalSafe.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "cli/RateMeter.h"
#include "core/DownloadCore.h"

class TerminalObserver : public DownloadObserver {
 public:
  struct Style {
    bool progressLine;   // standard error is a terminal and --quiet was not given
    bool askOnTerminal;  // standard input is a terminal
    bool answerYes;      // --yes
  };

  // Refused lines of one list reported one by one; the rest are counted.
  static constexpr std::size_t kRefusalsShown = 10;

  TerminalObserver(CDownloadCore& core, Style style);

  // The list about to be loaded, named in reports of refused lines.
  void SetListName(const std::string& name);

  // The list named by SetListName has been read: reports how many refused
  // lines were not reported one by one.
  void EndOfList();

  // Redraws the progress line; the main thread calls it about four times a
  // second. Does nothing without a progress line or a current transfer.
  void Tick();

  // Ends a question waiting for its answer (as No) and any to come: the run
  // is being stopped. Safe from any thread.
  void Cancel() { m_cancelled = true; }

  // Ends the progress line, if one is drawn, so the shell's prompt starts on
  // a line of its own.
  void Finish();

  // Prints "tunefetch-cli: <text>" on a line of its own on standard error,
  // made safe for the terminal: the one way a message reaches the user.
  void PrintMessage(const std::string& text);

  void DrawCurrentFilePanel() override;
  void DrawStatusPanel() override;  // prints a wait's reason once
  void DrawProgressPanel() override {}
  void DrawIndicatorPanel() override {}
  void OnItemAppended() override;
  void OnHeadItemRemoved() override {}
  MessageAnswer ShowMessageBox(const std::string& text, MessageButtons buttons) override;
  void SetTrayTip(const std::string&) override {}
  void RequestClose() override {}  // the run's end is the end of the program
  void OnItemDone(const CDownloadItem& item, ItemOutcome outcome) override;
  void OnItemFailed(const CDownloadItem& item, const FailureReason& reason) override;
  void OnLineRefused(std::size_t lineNumber, RefusedLine why) override;

 private:
  MessageAnswer AskYesNo();
  void ClearProgressLine();                          // with m_outputMutex held
  void PrintMessageLocked(const std::string& text);  // with m_outputMutex held

  CDownloadCore& m_core;
  const Style m_style;
  std::atomic<bool> m_cancelled{false};

  std::mutex m_outputMutex;  // one writer at a time on standard output and error
  // Guarded by m_outputMutex:
  std::string m_listName;  // made safe
  std::size_t m_nRefusedInList = 0;
  std::string m_currentName;    // made safe
  std::string m_printedReason;  // the current item's reason, once printed
  bool m_progressShown = false;
  RateMeter m_rate;
  std::int64_t m_nArrivedBeforeItem = 0;  // m_nBytesArrived when the item was shown
  // The run's files: all queued so far, those done, and their size fields.
  std::size_t m_nRunFiles = 0;
  std::size_t m_nRunFilesWithoutSize = 0;
  std::int64_t m_nRunSize = 0;
  std::size_t m_nDoneFiles = 0;
  std::int64_t m_nDoneSize = 0;
  std::int32_t m_nLastDoneSize = 0;  // the size field of the item done last
};
