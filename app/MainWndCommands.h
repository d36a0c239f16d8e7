#pragma once
// The main window's command identifiers and what each one does, for commands
// from its buttons and menus and for system commands.

#include <cstdint>

enum MainWndCommandId : int {
  IDC_CLOSE = 101,
  IDC_MINIMIZE = 102,
  IDC_DOWNLOADLIST = 111,
  IDC_SKIP = 112,
  IDC_OPEN = 113,
  IDC_SYSBUTTON = 114,
  IDC_CLOSEMENU = 115,
  IDC_RESTORE = 32775,
  IDC_SETUP = 32776,
};

// The window system's own commands. Close and minimise also arrive as
// ordinary commands.
inline constexpr std::uint32_t kSystemCloseCommand = 61536;
inline constexpr std::uint32_t kSystemMinimizeCommand = 61472;
inline constexpr std::uint32_t kSystemRestoreCommand = 61728;

// Message numbers of commands sent to the window from outside (the desktop bus).
inline constexpr std::uint32_t kCommandMessage = 0x0111;
inline constexpr std::uint32_t kSystemCommandMessage = 0x0112;

enum class MainWndAction { None, Close, Minimize, Skip, ToggleList, ShowPopupMenu, Restore, Setup };

// A command (button, menu item). The whole value is compared; "Close Menu"
// and unknown values do nothing.
MainWndAction CommandAction(std::uint32_t command);

// A system command: Skip, the list and the setup sheet are ours; close,
// minimise and restore do what the window system would; any other value
// does nothing. The whole value is compared, low bits included.
MainWndAction SystemCommandAction(std::uint32_t command);
