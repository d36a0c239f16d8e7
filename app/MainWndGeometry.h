#pragma once
// The main window's size and place: its width is the skin's background, its
// height the background's (large mode, list shown) or the skin's panel height
// (small mode); its top-left corner is DISP/POSITION, "left,top".

#include <string>
#include <string_view>

struct Skin;

struct WindowPlace {
  int left = 0;
  int top = 0;
  bool operator==(const WindowPlace&) const = default;
};

struct WindowSize {
  int width = 0;
  int height = 0;
  bool operator==(const WindowSize&) const = default;
};

// Rows of the background's bottom edge drawn at the bottom in small mode,
// whatever the skin.
inline constexpr int kSmallModeEdgeRows = 10;

WindowSize MainWindowSize(const Skin& skin, bool listShown);

// "left,top" as two decimal integers, used as they are (negative or off
// screen). A part that is not a number counts as 100, the default's value,
// rather than placing the window at some arbitrary point.
WindowPlace ParseWindowPosition(std::string_view text);

// The text DISP/POSITION is written with: "%d,%d".
std::string FormatWindowPosition(WindowPlace place);
