#pragma once
// Numbered message texts: message boxes (0xxx), setup-sheet captions (1xxx),
// menu items (2xxx) and desktop notifications (3xxx). The language comes
// from GENERAL/LANGUAGE: "*" or
// "English" (any case) selects the built-in English table, any other name the
// file <name>.lng in the program folder (section MESSAGE). A key without a
// text yields "*"; a language file is never completed from English.
// Nothing is cached: every lookup re-reads the setting and the file.

#include <string>
#include <string_view>

// The name ending of a language file.
inline constexpr std::string_view kLanguageFileExtension = ".lng";

// The text for a four-digit message key, or "*". In a language file's text
// the first backslash-n pair becomes a line feed and a space; later pairs stay.
std::string GetMessageText(std::string_view key);

// Path of the language file for `language`: program folder, the name and
// ".lng" (on a system install the user's data folder's file comes first,
// where there is one).
std::string LanguageFilePath(std::string_view language);
