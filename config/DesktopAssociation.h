#pragma once
// Download lists as the user's Linux desktop knows them, so that a file
// manager opens them with the program:
//   $XDG_DATA_HOME/mime/packages/tunefetch-<ext>.xml   the content type
//       application/x-tunefetch-list with the glob *<ext>, one file per
//       extension, so each extension is associated and released on its own
//   $XDG_DATA_HOME/applications/tunefetch-list.desktop Exec="<program>" %f, a
//       handler kept out of menus (the menu entry is the install's
//       tunefetch.desktop, which this never touches)
//   $XDG_CONFIG_HOME/mimeapps.list                     the default for the type
// then update-mime-database and update-desktop-database, where installed.
// Failures are silent, as the association's are: the key store stays the
// record of what is associated.

#include <string>
#include <string_view>

inline constexpr std::string_view kListMimeType = "application/x-tunefetch-list";
inline constexpr std::string_view kDesktopFileName = "tunefetch-list.desktop";

// Declares the extension's glob and makes `program` the default application
// of the type.
void RegisterDesktopAssociation(std::string_view extension, const std::string& program);

// Removes the extension's glob. With no extension of ours left, also removes
// the desktop file and our entries in mimeapps.list and defaults.list
// (wherever the desktop keeps them), keeping other applications' entries.
void ReleaseDesktopAssociation(std::string_view extension);

// `program` as one argument of a desktop file's Exec line: in double quotes,
// with the characters the Exec rules reserve escaped, "%" doubled and every
// backslash doubled once more for the desktop file's string escapes. Empty
// text when the path holds a line break or another control character, which
// an Exec line cannot carry.
std::string DesktopExecArgument(std::string_view program);
