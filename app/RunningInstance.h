#pragma once
// One running instance per user: finding it by its window titles, handing it a
// download list, and asking it to come to the front. A second start hands its
// list over through the global atom table and a synchronous WM_HANDOVER, then
// ends.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/SmallFile.h"
#include "platform/bus/AtomTable.h"
#include "platform/bus/BusTypes.h"

inline constexpr std::string_view kMainWindowTitle = "QEM - Tunefetch";
inline constexpr std::string_view kSetupSheetTitle = "QEM - Tunefetch Setup";
// Class names of the two windows on the desktop bus.
inline constexpr std::string_view kMainWindowClass = "TunefetchMainWnd";
inline constexpr std::string_view kSetupSheetClass = "TunefetchSetupSheet";

// WM_HANDOVER: wParam an atom naming a list (lParam kHandOverList), or a
// request to open the setup sheet (lParam kHandOverSetup).
inline constexpr std::uint32_t WM_HANDOVER = WM_USER;
inline constexpr std::int64_t kHandOverList = 101;
inline constexpr std::int64_t kHandOverSetup = 102;
// Asks a window to come to the front, as another process cannot raise it.
inline constexpr std::uint32_t kBringToFrontMessage = 0x0006;  // WM_ACTIVATE
// The WM_COPYDATA kind that carries a start's activation token (Wayland's
// XDG_ACTIVATION_TOKEN or X11's DESKTOP_STARTUP_ID) ahead of
// kBringToFrontMessage, so the window may use the start's right to come to
// the front. The bytes are the token, without a NUL.
inline constexpr std::uint32_t kActivationTokenKind = 6;
// Longest token passed on; a longer one is not a token a desktop made.
inline constexpr std::size_t kMaxActivationToken = 1024;
// The main window's answer to a hand-over whose list it took.
inline constexpr std::int64_t kHandOverTaken = 1;

// The receiver may show a message box while it reads the list, and the
// sender waits for it; a user away from the desk must not make it give up.
inline constexpr std::chrono::minutes kHandOverTimeout{10};

// The first window, in creation order (hidden ones included), titled exactly
// "QEM - Tunefetch" or "QEM - Tunefetch Setup".
BusWindowHandle FindRunningInstance();

// Hands `path` to `window` and waits until it has read the list. The atom is
// left for the receiver, which deletes it; it is deleted here when the
// receiver did not take it. False when the list did not reach a window that
// took it.
bool HandOverList(BusWindowHandle window, std::string_view path);

// Asks `window` to come to the front, with `activationToken` (this start's
// ActivationTokenOf, possibly empty) posted first; does not wait.
void BringToFront(BusWindowHandle window, std::string_view activationToken = {});

// The activation token a desktop gave this start: XDG_ACTIVATION_TOKEN
// (Wayland), else DESKTOP_STARTUP_ID (X11), from `getenv`; empty when neither
// is set, is empty or is longer than kMaxActivationToken. Read it before GTK
// starts, which takes DESKTOP_STARTUP_ID out of the environment.
std::string ActivationTokenOf(const std::function<const char*(const char*)>& getenv);

// The token of a kActivationTokenKind record, or nothing for any other message.
std::optional<std::string> ReceivedActivationToken(const BusMessage& message);

// The receiving side of a list hand-over: the name of `atom`, which is then
// deleted, or nothing (the atom left alone) when it names nothing.
std::optional<std::string> TakeHandedOverList(std::uint64_t atom);

// Held from the search for a running instance until this start's own window
// is findable, so two starts at one moment cannot both become the running
// instance. Without a usable bus folder it holds nothing and the start goes on.
class StartLock {
 public:
  StartLock();
  void Release() { m_lock.reset(); }

 private:
  std::unique_ptr<FolderLock> m_lock;
};
