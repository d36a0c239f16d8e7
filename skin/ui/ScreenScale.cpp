#include "skin/ui/ScreenScale.h"

#include <algorithm>
#include <cmath>

#include <wx/display.h>

int ScreenScale() { return std::max(1, static_cast<int>(std::lround(wxDisplay().GetScaleFactor()))); }
