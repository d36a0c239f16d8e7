#include "cli/TerminalObserver.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

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
  }
  return "";
}

// Text from a server or a list, with its control characters (C0, DEL and
// the C1 range as UTF-8) shown as \xNN, so it cannot move the cursor or
// change the terminal.
std::string TerminalSafe(std::string_view text) {
  std::string safe;
  char escaped[5];
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (byte >= 0x20 && byte != 0x7F && !c1) {
      safe += text[i];
      continue;
    }
    if (c1) ++i;
    std::snprintf(escaped, sizeof escaped, "\\x%02X",
                  c1 ? static_cast<unsigned char>(text[i]) : byte);
    safe += escaped;
  }
  return safe;
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
  m_lastBytes = 0;
  m_rate = 0;
  m_lastTick = std::chrono::steady_clock::now();
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

void TerminalObserver::OnItemFailed(const CDownloadItem& item, const FailureReason& reason) {
  std::lock_guard lock(m_outputMutex);
  ClearProgressLine();
  std::fprintf(stderr, "tunefetch-cli: %s (%s): %s\n", TerminalSafe(item.GetDisplayName()).c_str(),
               TerminalSafe(item.m_strUrl).c_str(), TerminalSafe(reason.text).c_str());
  std::fflush(stderr);
}

void TerminalObserver::OnLineRefused(std::size_t lineNumber, RefusedLine why) {
  std::lock_guard lock(m_outputMutex);
  ClearProgressLine();
  std::fprintf(stderr, "tunefetch-cli: %s:%zu: %s; line not queued\n", m_listName.c_str(), lineNumber,
               RefusalText(why));
}
