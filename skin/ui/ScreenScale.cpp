#include "skin/ui/ScreenScale.h"

#include <wx/display.h>

#include <algorithm>
#include <cmath>

int ScreenScale() {
  return std::max(1, static_cast<int>(std::lround(wxDisplay().GetScaleFactor())));
}
