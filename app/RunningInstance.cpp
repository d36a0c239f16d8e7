#include "app/RunningInstance.h"

#include <sys/stat.h>

#include <thread>

#include "platform/bus/BusFolder.h"
#include "platform/bus/DesktopBus.h"

namespace {

// Atom names compare without regard to ASCII case, so adding "/A.mpq" while a
// hand-over of "/a.mpq" is pending yields that other name. Such a hand-over
// is over within moments; wait for it rather than hand over the wrong file.
constexpr auto kAtomClashWait = std::chrono::seconds(5);
constexpr auto kAtomClashPoll = std::chrono::milliseconds(50);

GlobalAtom AddExactAtom(std::string_view path) {
  const auto deadline = std::chrono::steady_clock::now() + kAtomClashWait;
  for (;;) {
    const GlobalAtom atom = GlobalAddAtom(path);
    if (atom == 0 || GlobalGetAtomName(atom) == path) return atom;
    GlobalDeleteAtom(atom);
    if (std::chrono::steady_clock::now() >= deadline) return 0;
    std::this_thread::sleep_for(kAtomClashPoll);
  }
}

}  // namespace

BusWindowHandle FindRunningInstance() {
  for (const BusWindowInfo& info : EnumerateWindows())
    if (info.title == kMainWindowTitle || info.title == kSetupSheetTitle) return info.handle;
  return {};
}

bool HandOverList(BusWindowHandle window, std::string_view path) {
  // A path the atom table cannot hold is still announced, with atom 0: the
  // receiver finds no name and loads nothing.
  const GlobalAtom atom = AddExactAtom(path);
  const BusSendResult result =
      SendMessage(window, WM_HANDOVER, atom, kHandOverList, kHandOverTimeout);
  const bool taken = result.Delivered() && result.value == kHandOverTaken;
  // After a time-out the receiver may still take the atom later.
  if (atom != 0 && !taken && result.error != BusError::Timeout) GlobalDeleteAtom(atom);
  return taken;
}

void BringToFront(BusWindowHandle window, std::string_view activationToken) {
  // A receiver that knows no tokens ignores the record and still comes up.
  if (!activationToken.empty()) PostCopyData(window, 0, kActivationTokenKind, activationToken);
  PostMessage(window, kBringToFrontMessage, 1, 0);
}

std::string ActivationTokenOf(const std::function<const char*(const char*)>& getenv) {
  for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
    const char* token = getenv(name);
    if (!token || !*token) continue;
    const std::string_view text(token);
    return text.size() <= kMaxActivationToken ? std::string(text) : std::string();
  }
  return {};
}

std::optional<std::string> ReceivedActivationToken(const BusMessage& message) {
  if (message.message != WM_COPYDATA || message.dataKind != kActivationTokenKind)
    return std::nullopt;
  if (message.data.empty() || message.data.size() > kMaxActivationToken) return std::nullopt;
  return message.data;
}

std::optional<std::string> TakeHandedOverList(std::uint64_t atom) {
  if (atom == 0 || atom > 0xFFFF) return std::nullopt;
  std::string name = GlobalGetAtomName(static_cast<GlobalAtom>(atom));
  if (name.empty()) return std::nullopt;
  GlobalDeleteAtom(static_cast<GlobalAtom>(atom));
  return name;
}

StartLock::StartLock() {
  const BusFolderResult folder = OpenBusFolder();
  if (folder.error != BusError::None) return;
  const std::string path = folder.path + "/start";
  mkdir(path.c_str(), 0700);
  m_lock = std::make_unique<FolderLock>(path);
}
