#pragma once
// Icons compiled into the program (names in skin/BuiltinArtwork.h). Call on
// the GUI thread: the first call registers the PNG image handler.

#include <wx/bitmap.h>
#include <wx/icon.h>

#include <string_view>

// The PNG or BMP resource `name` as a bitmap with its alpha; invalid when
// there is no such resource or it does not decode.
wxBitmap LoadEmbeddedBitmap(std::string_view name);

// The same as an icon, for the tray and the window.
wxIcon LoadEmbeddedIcon(std::string_view name);
