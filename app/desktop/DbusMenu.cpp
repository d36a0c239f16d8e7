#include "app/desktop/DbusMenu.h"

namespace {

bool IsMenuItem(int itemId) {
  return itemId >= 1 && itemId <= static_cast<int>(kTrayMenuItems.size());
}

const TrayMenuItem& ItemOf(int itemId) {
  return kTrayMenuItems[static_cast<std::size_t>(itemId - 1)];
}

GVariant* RootProperties() {
  GVariantBuilder properties;
  g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
  g_variant_builder_add(&properties, "{sv}", "children-display", g_variant_new_string("submenu"));
  return g_variant_builder_end(&properties);
}

GVariant* LayoutNode(int itemId, GVariant* properties, GVariantBuilder* children) {
  GVariantBuilder none;
  if (!children) {
    g_variant_builder_init(&none, G_VARIANT_TYPE("av"));
    children = &none;
  }
  return g_variant_new("(i@a{sv}av)", itemId, properties, children);
}

}  // namespace

std::string DbusMenuLabel(std::string_view text) {
  std::string label;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '_') {
      label += "__";
    } else if (text[at] == '&' && at + 1 < text.size() && text[at + 1] == '&') {
      label += '&';
      ++at;
    } else if (text[at] == '&') {
      label += '_';
    } else {
      label += text[at];
    }
  }
  return label;
}

std::optional<int> DbusMenuCommand(int itemId) {
  if (!IsMenuItem(itemId) || ItemOf(itemId).command == 0) return std::nullopt;
  return ItemOf(itemId).command;
}

GVariant* DbusMenuItemProperties(int itemId, const TrayMenuTexts& texts,
                                 const TrayMenuState& state) {
  if (itemId == kDbusMenuRootId) return RootProperties();
  if (!IsMenuItem(itemId)) return nullptr;
  GVariantBuilder properties;
  g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
  const int command = ItemOf(itemId).command;
  if (command == 0) {
    g_variant_builder_add(&properties, "{sv}", "type", g_variant_new_string("separator"));
    return g_variant_builder_end(&properties);
  }
  const std::string label = DbusMenuLabel(texts[static_cast<std::size_t>(itemId - 1)]);
  g_variant_builder_add(&properties, "{sv}", "label", g_variant_new_string(label.c_str()));
  bool enabled = true;
  if (command == IDC_RESTORE) enabled = state.restoreEnabled;
  if (command == IDC_MINIMIZE) enabled = state.minimizeEnabled;
  if (command == IDC_OPEN) enabled = state.openEnabled;
  g_variant_builder_add(&properties, "{sv}", "enabled", g_variant_new_boolean(enabled));
  if (command == IDC_OPEN) {
    g_variant_builder_add(&properties, "{sv}", "toggle-type", g_variant_new_string("checkmark"));
    g_variant_builder_add(&properties, "{sv}", "toggle-state",
                          g_variant_new_int32(state.openChecked ? 1 : 0));
  }
  return g_variant_builder_end(&properties);
}

GVariant* DbusMenuLayout(int parentId, int depth, unsigned revision, const TrayMenuTexts& texts,
                         const TrayMenuState& state) {
  GVariant* properties = DbusMenuItemProperties(parentId, texts, state);
  if (!properties) return nullptr;
  if (parentId != kDbusMenuRootId || depth == 0)
    return g_variant_new("(u@(ia{sv}av))", revision, LayoutNode(parentId, properties, nullptr));
  GVariantBuilder children;
  g_variant_builder_init(&children, G_VARIANT_TYPE("av"));
  for (int itemId = 1; IsMenuItem(itemId); ++itemId)
    g_variant_builder_add(
        &children, "v", LayoutNode(itemId, DbusMenuItemProperties(itemId, texts, state), nullptr));
  return g_variant_new("(u@(ia{sv}av))", revision, LayoutNode(parentId, properties, &children));
}

GVariant* DbusMenuGroupProperties(GVariant* ids, const TrayMenuTexts& texts,
                                  const TrayMenuState& state) {
  GVariantBuilder group;
  g_variant_builder_init(&group, G_VARIANT_TYPE("a(ia{sv})"));
  const auto add = [&](int itemId) {
    if (GVariant* properties = DbusMenuItemProperties(itemId, texts, state))
      g_variant_builder_add(&group, "(i@a{sv})", itemId, properties);
  };
  if (g_variant_n_children(ids) == 0) {
    for (int itemId = 0; itemId == 0 || IsMenuItem(itemId); ++itemId) add(itemId);
  } else {
    GVariantIter iterator;
    g_variant_iter_init(&iterator, ids);
    gint32 itemId = 0;
    while (g_variant_iter_next(&iterator, "i", &itemId)) add(itemId);
  }
  return g_variant_new("(a(ia{sv}))", &group);
}
