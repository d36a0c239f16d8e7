// A stand-in for the program, for start-up tests: started the way the program
// is, it reports what the program would find, one "name: value" a line, and
// counts its starts in the settings file it found.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "config/VersionPage.h"
#include "platform/ProgramPath.h"

int main(int argc, char** argv) {
  SetProgramArgument0(argc > 0 ? argv[0] : "");
  const int starts = std::atoi(ReadSetting("TEST", "STARTS", -1).c_str()) + 1;
  WriteSettingInt("TEST", "STARTS", starts);
  std::printf("folder: %s\n", GetProgramFolder().c_str());
  std::printf("settings: %s\n", SettingsPath().c_str());
  std::printf("starts: %d\n", starts);
  std::printf("1013: %s\n", GetMessageText("1013").c_str());
  std::printf("version page: %s\n", VersionPageAddress().c_str());
  return 0;
}
