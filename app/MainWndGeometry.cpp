#include "app/MainWndGeometry.h"

#include <charconv>
#include <cstdio>

#include "skin/Skin.h"

namespace {

constexpr int kUnreadablePart = 100;

int ParsePart(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end != text.data() ? value : kUnreadablePart;
}

}  // namespace

WindowSize MainWindowSize(const Skin& skin, bool listShown) {
  return {skin.main.bitmap.Width(), listShown ? skin.main.bitmap.Height() : skin.main.panelHeight};
}

WindowPlace ParseWindowPosition(std::string_view text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return {ParsePart(text), kUnreadablePart};
  return {ParsePart(text.substr(0, comma)), ParsePart(text.substr(comma + 1))};
}

std::string FormatWindowPosition(WindowPlace place) {
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d", place.left, place.top);
  return text;
}
