#include "app/ui/DownloaderApp.h"

wxIMPLEMENT_APP(CDownloaderApp);
