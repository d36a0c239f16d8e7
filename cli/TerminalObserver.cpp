#include "cli/TerminalObserver.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>

#include "cli/ProgressText.h"

namespace {

constexpr int kAnswerPollMs = 100;

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

}  // namespace

TerminalObserver::TerminalObserver(CDownloadCore& core, Style style) : m_core(core), m_style(style) {}

void TerminalObserver::SetListName(std::string name) {
  std::lock_guard lock(m_outputMutex);
  m_listName = std::move(name);
}

void TerminalObserver::ClearProgressLine() {
  if (!m_progressShown) return;
  std::fputs("\r\x1b[K", stderr);
  m_progressShown = false;
}

void TerminalObserver::DrawCurrentFilePanel() {
  std::lock_guard lock(m_outputMutex);
  m_currentName = m_core.GetCurrentFileText();
  if (!m_currentName.empty()) m_printedReason.clear();  // as the core, at a new item
  m_lastBytes = 0;
  m_rate = 0;
  m_lastTick = std::chrono::steady_clock::now();
}

void TerminalObserver::DrawStatusPanel() {
  const std::string reason = m_core.GetStatusReason();
  std::lock_guard lock(m_outputMutex);
  if (reason.empty() || reason == m_printedReason) return;
  m_printedReason = reason;
  ClearProgressLine();
  std::fprintf(stderr, "tunefetch-cli: %s\n", reason.c_str());
}

void TerminalObserver::Tick() {
  if (!m_style.progressLine) return;
  std::lock_guard lock(m_outputMutex);
  if (m_currentName.empty()) return;
  const auto now = std::chrono::steady_clock::now();
  const std::int64_t bytes = m_core.m_nBytesReceived;
  const double seconds = std::chrono::duration<double>(now - m_lastTick).count();
  if (seconds > 0 && bytes >= m_lastBytes) m_rate = static_cast<double>(bytes - m_lastBytes) / seconds;
  m_lastBytes = bytes;
  m_lastTick = now;
  std::fprintf(stderr, "\r%s\x1b[K", ProgressLine(m_currentName, bytes, m_core.GetCurrentItemSize(), m_rate).c_str());
  std::fflush(stderr);
  m_progressShown = true;
}

void TerminalObserver::Finish() {
  std::lock_guard lock(m_outputMutex);
  ClearProgressLine();
  std::fflush(stderr);
}

MessageAnswer TerminalObserver::ShowMessageBox(const std::string& text, MessageButtons buttons) {
  {
    std::lock_guard lock(m_outputMutex);
    ClearProgressLine();
    std::fprintf(stderr, "tunefetch-cli: %s\n", text.c_str());
    std::fflush(stderr);
  }
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
  if (m_style.progressLine) {
    ClearProgressLine();
    std::string line = std::string(ItemOutcomeWord(outcome)) + "  " + item.GetDisplayName();
    if (outcome == ItemOutcome::Fetched) line += "  " + FormatBytes(m_core.m_nBytesReceived);
    std::fprintf(stderr, "%s\n", line.c_str());
  } else {
    std::printf("%s %s\n", ItemOutcomeWord(outcome), item.m_strLocalPath.c_str());
    std::fflush(stdout);
  }
  m_currentName.clear();
}

void TerminalObserver::OnLineRefused(std::size_t lineNumber, RefusedLine why) {
  std::lock_guard lock(m_outputMutex);
  ClearProgressLine();
  std::fprintf(stderr, "tunefetch-cli: %s:%zu: %s; line not queued\n", m_listName.c_str(), lineNumber,
               RefusalText(why));
}
