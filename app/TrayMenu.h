#pragma once
// The popup menu of the tray icon and the SysButton: its items, in order, with
// the message keys of their texts, and the states they take before each
// showing. The window layer builds the menu from this table.

#include <array>
#include <string_view>

#include "app/MainWndCommands.h"

struct TrayMenuItem {
  std::string_view messageKey;  // empty for a separator
  int command;                  // 0 for a separator
};

inline constexpr std::array<TrayMenuItem, 8> kTrayMenuItems = {{
    {"2001", IDC_RESTORE},
    {"2002", IDC_MINIMIZE},
    {"2003", IDC_CLOSE},
    {"", 0},
    {"2004", IDC_SKIP},
    {"2005", IDC_OPEN},
    {"", 0},
    {"2006", IDC_CLOSEMENU},
}};

// The items whose state changes with the window; the others are always enabled.
struct TrayMenuState {
  bool restoreEnabled = false;
  bool minimizeEnabled = false;
  bool openEnabled = false;
  bool openChecked = false;
  int defaultCommand = 0;  // the item shown bold, where menus can show one
  bool operator==(const TrayMenuState&) const = default;
};

// `minimized`: the window is minimised or hidden in the tray; `listShown`:
// large mode.
constexpr TrayMenuState ComputeTrayMenuState(bool minimized, bool listShown) {
  return {.restoreEnabled = minimized,
          .minimizeEnabled = !minimized,
          .openEnabled = !minimized,
          .openChecked = listShown,
          .defaultCommand = minimized ? IDC_RESTORE : IDC_MINIMIZE};
}
