#pragma once
// Shared vocabulary of the desktop bus: window handles, the message record a
// handler receives, error values and the message numbers the program uses.
// The wire format behind these is described in docs/desktop-bus.md.

#include <compare>
#include <cstdint>
#include <functional>
#include <string>

// Message numbers, as the player protocol and the hand-over know them.
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_COPYDATA = 0x004A;
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_USER = 0x0400;

// A findable window of some process of this user. Ids are handed out in
// creation order and never reused within one bus folder; 0 means none.
struct BusWindowHandle {
  std::uint64_t id = 0;
  explicit operator bool() const { return id != 0; }
  // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy 14 misreads the defaulted comparison
  auto operator<=>(const BusWindowHandle&) const = default;
};

// One message as the receiver's handler sees it. `dataKind` and `data` are the
// WM_COPYDATA record (kind, bytes; the byte count is data.size()); other
// messages carry kind 0 and no data.
struct BusMessage {
  std::uint32_t message = 0;
  std::uint64_t wParam = 0;
  std::int64_t lParam = 0;
  std::uint32_t dataKind = 0;
  std::string data;
};

// Runs one message and returns its result (what a sender gets back).
using BusHandler = std::function<std::int64_t(const BusMessage&)>;

enum class BusError {
  None,
  NoFolder,     // the bus folder cannot be made or is not private to this user
  BadArgument,  // a class, title or data outside the documented limits
  NoWindow,     // no such window (never registered, closed, or its process died)
  Timeout,      // the receiver did not answer within the limit
  NoReply,      // the receiver closed the connection without answering
  Refused,      // the receiver refused the frame as malformed
  IoError,      // the system refused a socket or file operation
  NoIdsLeft,    // the window id counter of the bus folder is used up
};

// What a synchronous send gives back: the handler's result when `error` is
// BusError::None, else 0.
struct BusSendResult {
  BusError error = BusError::None;
  std::int64_t value = 0;
  bool Delivered() const { return error == BusError::None; }
};
