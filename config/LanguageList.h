#pragma once
// The choices of the setup sheet's language list and which one to select.

#include <string>
#include <string_view>
#include <vector>

// At most this many language files are listed, the first in list order; the
// rest are ignored.
inline constexpr size_t kMaxLanguageFiles = 256;

// "English" (the built-in texts) followed by the title of every language file
// in `folders` (a regular file named "<title>.lng", title not empty and not
// starting with "."; a title found in two folders is listed once), sorted
// without regard to case; an "English.lng" shows a second "English". Equal
// names keep "English" first.
std::vector<std::string> BuildLanguageList(const std::vector<std::string>& folders);

// Index of the item to select for `language`: the first item that begins with
// it (ASCII case ignored), searching from the second item to the end and then
// the first; failing that, the same search for "English"; failing that, 0.
size_t FindLanguageIndex(const std::vector<std::string>& items, std::string_view language);
