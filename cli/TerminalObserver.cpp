#include "cli/TerminalObserver.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>

#include "cli/ProgressText.h"
#include "cli/TerminalText.h"

namespace {

constexpr int kAnswerPollMs = 100;
constexpr std::size_t kDefaultColumns = 80;  // when the terminal does not say

const char* RefusalText(RefusedLine why) {
  switch (why) {
    case RefusedLine::NoFileName:
      return "names no file";
    case RefusedLine::UrlTooLong:
      return "server path too long";
    case RefusedLine::PathTooLong:
      return "local path or file name too long";
    case RefusedLine::SaveFolderTooLong:
      return "save folder (CACHE/SAVE_DIR) of 1023 bytes or more";
  }
  return "";
}

// Asked at every redraw, so a resized terminal is followed within a tick.
std::size_t StandardErrorColumns() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return kDefaultColumns;
  return size.ws_col;
}

}  // namespace

TerminalObserver::TerminalObserver(CDownloadCore& core, Style style)
    : m_core(core), m_style(style) {}

void TerminalObserver::SetListName(const std::string& name) {
  std::lock_guard lock(m_outputMutex);
  m_listName = TerminalSafe(name);
  m_nRefusedInList = 0;
}

void TerminalObserver::EndOfList() {
  std::lock_guard lock(m_outputMutex);
  if (m_nRefusedInList <= kRefusalsShown) return;
  PrintMessageLocked(m_listName + ": … and " + FormatCount(m_nRefusedInList - kRefusalsShown) +
                     " more lines not queued");
}

void TerminalObserver::ClearProgressLine() {
  if (!m_progressShown) return;
  std::fputs("\r\x1b[K", stderr);
  m_progressShown = false;
}

void TerminalObserver::PrintMessage(const std::string& text) {
  std::lock_guard lock(m_outputMutex);
  PrintMessageLocked(TerminalSafe(text, LineFeeds::Keep));
}

void TerminalObserver::PrintMessageLocked(const std::string& text) {
  ClearProgressLine();
  std::fprintf(stderr, "tunefetch-cli: %s\n", text.c_str());
  std::fflush(stderr);
}

void TerminalObserver::DrawCurrentFilePanel() {
  std::lock_guard lock(m_outputMutex);
  m_currentName = TerminalSafe(m_core.GetCurrentFileText());
  if (!m_currentName.empty()) m_printedReason.clear();  // as the core, at a new item
  m_nArrivedBeforeItem = m_core.m_nBytesArrived;
  m_rate.Restart(RateMeter::Clock::now());
}

void TerminalObserver::OnItemAppended() {
  // Only this thread appends and the worker removes at the head, so the tail
  // is the item just added, or the queue is empty because the worker has
  // already finished it: it was the last item done (OnItemDone comes first).
  const std::optional<std::int32_t> queuedSize =
      m_core.m_queue.Read([](const CDownloadQueue::Items& items) -> std::optional<std::int32_t> {
        if (items.empty()) return std::nullopt;
        return items.back()->m_nSize;
      });
  std::lock_guard lock(m_outputMutex);
  const std::int32_t size = queuedSize.value_or(m_nLastDoneSize);
  ++m_nRunFiles;
  if (size > 0) {
    m_nRunSize += size;
  } else {
    ++m_nRunFilesWithoutSize;
  }
}

// A wait's reason (another run holds the file) is printed once as it
// begins; a failure's is printed by OnItemFailed, once, after its last try.
void TerminalObserver::DrawStatusPanel() {
  if (m_core.GetStatusText() != kStatusBusy) return;
  const std::string reason = m_core.GetStatusReason();
  std::lock_guard lock(m_outputMutex);
  if (reason.empty() || reason == m_printedReason) return;
  m_printedReason = reason;
  PrintMessageLocked(TerminalSafe(reason));
}

void TerminalObserver::Tick() {
  if (!m_style.progressLine) return;
  std::lock_guard lock(m_outputMutex);
  if (m_currentName.empty()) return;
  const std::int64_t bytes = m_core.m_nBytesReceived;
  const std::int64_t expectedSize = m_core.GetCurrentItemSize();
  const ProgressFigures figures{
      .name = m_currentName,
      .bytes = bytes,
      .expectedSize = expectedSize,
      // What arrived for every transfer, files fetched ahead of this one
      // too, since this one was shown; not what a resumed one found on disk.
      .bytesPerSecond =
          m_rate.Add(RateMeter::Clock::now(), m_core.m_nBytesArrived - m_nArrivedBeforeItem),
      .fileNumber = m_nDoneFiles + 1,
      .fileCount = std::max(m_nRunFiles, m_nDoneFiles + 1),
      .runBytes = m_nDoneSize + (expectedSize > 0 ? std::min(bytes, expectedSize) : bytes),
      .runSize = m_nRunFilesWithoutSize == 0 ? m_nRunSize : 0,
  };
  std::fprintf(stderr, "\r%s\x1b[K", ProgressLine(figures, StandardErrorColumns()).c_str());
  std::fflush(stderr);
  m_progressShown = true;
}

void TerminalObserver::Finish() {
  std::lock_guard lock(m_outputMutex);
  ClearProgressLine();
  std::fflush(stderr);
}

MessageAnswer TerminalObserver::ShowMessageBox(const std::string& text, MessageButtons buttons) {
  PrintMessage(text);
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  if (m_style.askOnTerminal && !m_cancelled) return AskYesNo();
  return m_style.answerYes ? MessageAnswer::Yes : MessageAnswer::No;
}

// Waits for a line on the terminal in slices, so that Ctrl-C (Cancel) ends
// the question instead of leaving the worker blocked in a read.
MessageAnswer TerminalObserver::AskYesNo() {
  std::fputs("[y/N] ", stderr);
  std::fflush(stderr);
  std::string answer;
  while (!m_cancelled) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    // Nothing yet, or a signal: look at the cancel flag again.
    if (poll(&input, 1, kAnswerPollMs) <= 0) continue;
    char c;
    if (read(STDIN_FILENO, &c, 1) != 1 || c == '\n') break;
    answer += c;
  }
  if (m_cancelled) return MessageAnswer::No;
  return answer == "y" || answer == "Y" || answer == "yes" ? MessageAnswer::Yes : MessageAnswer::No;
}

void TerminalObserver::OnItemDone(const CDownloadItem& item, ItemOutcome outcome) {
  std::lock_guard lock(m_outputMutex);
  ++m_nDoneFiles;
  m_nDoneSize += std::max(0, item.m_nSize);
  m_nLastDoneSize = item.m_nSize;
  if (m_style.progressLine) {
    ClearProgressLine();
    std::string line =
        std::string(ItemOutcomeWord(outcome)) + "  " + TerminalSafe(item.GetDisplayName());
    if (outcome == ItemOutcome::Fetched) line += "  " + FormatBytes(m_core.m_nBytesReceived);
    std::fprintf(stderr, "%s\n", line.c_str());
  } else {
    std::printf("%s %s\n", ItemOutcomeWord(outcome), TerminalSafe(item.m_strLocalPath).c_str());
    std::fflush(stdout);
  }
  m_currentName.clear();
}

void TerminalObserver::OnItemFailed(const CDownloadItem& item, const FailureReason& reason) {
  std::lock_guard lock(m_outputMutex);
  PrintMessageLocked(TerminalSafe(item.GetDisplayName()) + " (" + TerminalSafe(item.m_strUrl) +
                     "): " + TerminalSafe(reason.text));
}

void TerminalObserver::OnLineRefused(std::size_t lineNumber, RefusedLine why) {
  std::lock_guard lock(m_outputMutex);
  if (++m_nRefusedInList > kRefusalsShown) return;
  PrintMessageLocked(m_listName + ":" + std::to_string(lineNumber) + ": " + RefusalText(why) +
                     "; line not queued");
}
