#pragma once
// Filling the skin record: the built-in skin, then the overrides of a skin
// folder (Skins/<name>/Skin.ini beside the program, or in the user's data
// folder on a system install, with the pictures it names). Called on the GUI
// thread at start-up; `dpi` is the screen's vertical dots per inch, used for
// the fonts' pixel heights.

#include <string>
#include <string_view>

#include "skin/Skin.h"

// Every field to its built-in value, the built-in pictures, the three fonts,
// and the five buttons composited over the built-in background at their
// built-in places. False only when a built-in picture is missing from the
// program, which a correct build never has.
bool SetDefaultSkin(Skin& skin, int dpi);

// Overrides `skin` from the folder of skin `name`. Integers are used only when
// above 0, texts and colours only when they do not begin with "*" (an empty
// value is used), a picture that does not load falls back to its built-in
// one, and a button is composited over the background of that moment only
// when its Bitmap key is used. A missing folder or file changes nothing but
// the fonts, which are made again from unchanged values. Always succeeds.
bool LoadSkin(Skin& skin, std::string_view name, int dpi);

// Releases the pictures and fonts; the record is empty afterwards.
void FreeSkin(Skin& skin);

// The start-up order: the built-in skin, then the skin DISP/SKIN names unless
// that value begins with "*" (an absent key is written as "*").
void LoadConfiguredSkin(Skin& skin, int dpi);

// The folder of skin `name` in the program folder's Skins/ (on a system
// install, the user's $XDG_DATA_HOME/tunefetch/Skins/ first), the name matched
// as skins match their own file names (case ignored when there is no exact
// match; see FindSkinFile), so "aurora" finds Skins/Aurora.
std::string SkinFolderPath(std::string_view name);
