#pragma once
// The wxWidgets font for a skin font description.

#include <wx/font.h>

#include <string>
#include <string_view>

#include "skin/SkinFont.h"

// The face we use for `face`: the face itself when it is installed, else the
// first installed Japanese-capable sans-serif (IPA P Gothic, IPA Gothic, Noto
// Sans CJK JP, VL P Gothic), else empty text, which leaves the choice to the
// system's default sans-serif. Skins name Windows faces such as "MS UI
// Gothic" that Linux systems rarely have.
std::string ResolveFontFace(std::string_view face);

// A font of the described face (see ResolveFontFace), weight, slant and
// underline whose cell height (ascent plus descent) is at most
// font.pixelHeight and as close to it as the face allows; a height below 1
// counts as 1. Text is UTF-8, so no character set is asked for.
wxFont CreateSkinFont(const SkinFont& font);
