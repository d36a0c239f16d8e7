#include "app/MainWndCommands.h"

MainWndAction CommandAction(std::uint32_t command) {
  switch (command) {
    case IDC_CLOSE:
    case kSystemCloseCommand:
      return MainWndAction::Close;
    case IDC_MINIMIZE:
    case kSystemMinimizeCommand:
      return MainWndAction::Minimize;
    case IDC_SKIP:
      return MainWndAction::Skip;
    case IDC_OPEN:
      return MainWndAction::ToggleList;
    case IDC_SYSBUTTON:
      return MainWndAction::ShowPopupMenu;
    case IDC_RESTORE:
      return MainWndAction::Restore;
    case IDC_SETUP:
      return MainWndAction::Setup;
    default:
      return MainWndAction::None;
  }
}

MainWndAction SystemCommandAction(std::uint32_t command) {
  switch (command) {
    case IDC_SKIP:
      return MainWndAction::Skip;
    case IDC_OPEN:
      return MainWndAction::ToggleList;
    case IDC_SETUP:
      return MainWndAction::Setup;
    case kSystemCloseCommand:
      return MainWndAction::Close;
    case kSystemMinimizeCommand:
      return MainWndAction::Minimize;
    case kSystemRestoreCommand:
      return MainWndAction::Restore;
    default:
      return MainWndAction::None;
  }
}
