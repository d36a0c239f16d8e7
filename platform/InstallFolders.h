#pragma once
// Where the program keeps each user's settings and finds language files and
// skins. Installed for one user (make install, or run from the build), the
// program folder is the user's own and holds all of it. A system install
// (the Debian package) puts the program folder under /usr, which no user may
// write and every user shares; the package marks it with the file
// kSystemInstallMarker, which nothing else installs. Then each user's
// settings files live in $XDG_CONFIG_HOME/tunefetch/, and language files and
// skins are looked for in $XDG_DATA_HOME/tunefetch/ before the program folder.

#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kSystemInstallMarker = "system-install";

// Whether the program folder holds the marker as a regular file. Looked at
// once per program folder: the package installs the marker with the program,
// and settings paths are derived on every read, so a stat there would cost
// each setting a system call.
bool IsSystemInstall();

// The path of the settings file `name` (such as "tunefetch.ini"): in the
// user's configuration folder on a system install, else in the program folder.
std::string UserSettingsFilePath(std::string_view name);

// The folders that language files and Skins/ are looked for in, in order:
// the user's data folder first on a system install, then the program folder.
std::vector<std::string> DataFolders();

// The path of `name` in the first of DataFolders() where something of that
// name exists; the program folder's path when none has it.
std::string FindDataFile(std::string_view name);
