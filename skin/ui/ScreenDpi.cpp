#include "skin/ui/ScreenDpi.h"

#include <wx/dcscreen.h>

#include "skin/SkinFont.h"

int ScreenDpi() {
  const int dpi = wxScreenDC().GetPPI().y;
  return dpi > 0 ? dpi : kDefaultScreenDpi;
}
