#include <cstdio>
#include <string_view>

#include "app/ui/DownloaderApp.h"
#include "core/PartFile.h"
#include "platform/ProgramVersion.h"

// "--version" is answered before the toolkit starts, so it works without a
// display. Any other first argument is a download list, as always.
int main(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::fputs(VersionLine("tunefetch").c_str(), stdout);
    return 0;
  }
  IgnoreFileSizeLimitSignal();
  return wxEntry(argc, argv);
}

wxIMPLEMENT_APP_NO_MAIN(CDownloaderApp);
