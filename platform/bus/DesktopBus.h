#pragma once
// Finding windows of this user's processes and sending them messages, the way
// a desktop's window list and its message calls work. See BusWindow.h for the
// receiving side and docs/desktop-bus.md for the protocol.

#include <chrono>
#include <string_view>
#include <vector>

#include "platform/bus/BusRegistry.h"
#include "platform/bus/BusTypes.h"

// How long a synchronous send waits for the receiver's answer unless the
// caller says otherwise. Generous, because a receiver's handler may show the
// user a message box; a hand-over that waits for the user may pass more.
inline constexpr std::chrono::milliseconds kDefaultReplyTimeout{5000};

// Every window, in creation order, hidden ones included. Entries of processes
// that no longer exist are removed on the way.
std::vector<BusWindowInfo> EnumerateWindows();

// The first window, in creation order, whose class or title is exactly the
// given bytes (case-sensitive); a null handle when there is none. A candidate
// whose socket no longer listens is removed and the search goes on.
BusWindowHandle FindWindowByClass(std::string_view className);
BusWindowHandle FindWindowByTitle(std::string_view title);

// Delivers `message` and waits until the receiver's handler has run, or until
// `timeout` has passed (then BusError::Timeout; the handler may still run).
// Data is allowed only with WM_COPYDATA and is capped at 64 KiB.
BusSendResult SendBusMessage(BusWindowHandle window, const BusMessage& message,
                             std::chrono::milliseconds timeout = kDefaultReplyTimeout);

BusSendResult SendMessage(BusWindowHandle window, std::uint32_t message, std::uint64_t wParam,
                          std::int64_t lParam,
                          std::chrono::milliseconds timeout = kDefaultReplyTimeout);

// WM_COPYDATA with its record: `kind` and the bytes (the byte count is
// bytes.size(); include a terminating NUL in `bytes` if the receiver wants one).
BusSendResult SendCopyData(BusWindowHandle window, std::uint64_t wParam, std::uint32_t kind,
                           std::string_view bytes,
                           std::chrono::milliseconds timeout = kDefaultReplyTimeout);

// Queues `message` for the receiver and returns once the frame is written;
// the handler runs later and its result is dropped.
BusError PostMessage(BusWindowHandle window, std::uint32_t message, std::uint64_t wParam,
                     std::int64_t lParam);

// WM_COPYDATA with its record, queued as PostMessage queues (the same cap on
// the bytes as SendCopyData).
BusError PostCopyData(BusWindowHandle window, std::uint64_t wParam, std::uint32_t kind,
                      std::string_view bytes);
