#pragma once
// The user's folders as the freedesktop base-directory rules name them.

#include <string>

// $HOME, or the home folder the user database gives when HOME is unset or
// empty (a service or a cleared environment), so "~/" never becomes "/".
std::string HomeFolder();

// $XDG_CONFIG_HOME when set and not empty, else <home>/.config.
std::string XdgConfigHome();

// $XDG_DATA_HOME when set and not empty, else <home>/.local/share.
std::string XdgDataHome();

// The program's own folders under those: $XDG_CONFIG_HOME/tunefetch (the key
// store, and a system install's settings files) and $XDG_DATA_HOME/tunefetch
// (a system install's user language files and skins).
std::string UserConfigFolder();
std::string UserDataFolder();
