#pragma once
// The tray menu as a desktop's menu host reads it over com.canonical.dbusmenu:
// the items of the popup menu in their order, each with its label, greyed
// state and check mark, as GVariant values of that protocol. No window is
// involved, so a host's view of the menu is tested without a display.

#include <glib.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/TrayMenu.h"

// Item id 0 is the root; the popup menu's items are 1, 2, ... in their order.
inline constexpr int kDbusMenuRootId = 0;

// The texts of the popup menu's items, in the order of kTrayMenuItems
// (separators hold empty texts), as the catalogue gave them when the menu was
// built.
using TrayMenuTexts = std::array<std::string, kTrayMenuItems.size()>;

// dbusmenu marks the mnemonic with "_" where our texts use "&": "&&" is a
// plain "&", and a plain "_" is written "__".
std::string DbusMenuLabel(std::string_view text);

// The command of item `itemId`, or nullopt for the root, a separator or an
// id the menu does not have.
std::optional<int> DbusMenuCommand(int itemId);

// The properties (a{sv}) of item `itemId` in `state`; null for an unknown id.
// Floating.
GVariant* DbusMenuItemProperties(int itemId, const TrayMenuTexts& texts,
                                 const TrayMenuState& state);

// The reply to GetLayout, (u(ia{sv}av)): the root with every item below it
// (none when `depth` is 0), or one item alone. Null for an unknown id.
// Floating.
GVariant* DbusMenuLayout(int parentId, int depth, unsigned revision, const TrayMenuTexts& texts,
                         const TrayMenuState& state);

// The reply to GetGroupProperties, (a(ia{sv})), for `ids` (all items when
// empty); unknown ids are left out. Floating.
GVariant* DbusMenuGroupProperties(GVariant* ids, const TrayMenuTexts& texts,
                                  const TrayMenuState& state);
