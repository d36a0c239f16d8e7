#include "app/DownloaderApp.h"

wxIMPLEMENT_APP(CDownloaderApp);
