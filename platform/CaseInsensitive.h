#pragma once
// Comparing names without regard to case, as Windows-era files expect (INI
// sections and keys, registry keys, message keys, atoms, file extensions).
// Only the ASCII letters fold: the texts are UTF-8, and folding bytes of
// multibyte characters would make different names equal.

#include <string_view>

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

// Orders as the names' letters folded to lower case would; a name sorts
// before the longer names it begins.
bool LessIgnoringCase(std::string_view a, std::string_view b);
