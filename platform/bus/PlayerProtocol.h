#pragma once
// The player's window messages: the class its main window registers and the
// numbers of the queries and commands the program sends. Shared by the player
// control and the player test double.

#include <cstdint>
#include <string_view>

#include "platform/bus/BusTypes.h"

inline constexpr std::string_view kPlayerWindowClass = "Winamp v1.x";

// Sent as WM_USER with wParam 0 and this lParam.
inline constexpr std::int64_t kPlayerClearPlaylist = 101;
inline constexpr std::int64_t kPlayerStartPlayback = 102;
inline constexpr std::int64_t kPlayerQueryPlaying = 104;  // non-zero answer: playing

// Sent as WM_COMMAND with this wParam and lParam 0.
inline constexpr std::uint64_t kPlayerStopCommand = 40047;

// WM_COPYDATA record kind that appends a file: the data is the path followed
// by one NUL byte.
inline constexpr std::uint32_t kPlayerAddFileKind = 100;
