#include "app/ui/DownloaderApp.h"
#include "core/PartFile.h"

[[maybe_unused]] static const bool g_fileSizeSignalIgnored = (IgnoreFileSizeLimitSignal(), true);
wxIMPLEMENT_APP(CDownloaderApp);
