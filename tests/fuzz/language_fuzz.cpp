// Language files on arbitrary text: every message lookup gives a text within
// the value limit (its line break takes the place of the two bytes "\n"),
// and the setup sheet's list of languages is built from the folder without
// fault.

#include "config/LanguageList.h"
#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "platform/ProfileFile.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ScratchProgramFolder& folder = FuzzProgramFolder();
  static const bool configured = WriteSetting("GENERAL", "LANGUAGE", "Fuzzish");
  FuzzCheck(configured);
  WriteFileText(LanguageFilePath("Fuzzish"), FuzzText(data, size));
  for (const char* key : {"0001", "0004", "1013", "2001", "9999", ""}) {
    const std::string text = GetMessageText(key);
    FuzzCheck(text.size() <= kMaxProfileValueLength);  // "key=" gives an empty text
  }
  const std::vector<std::string> languages = BuildLanguageList({folder.Path()});
  FuzzCheck(!languages.empty() && languages.size() <= kMaxLanguageFiles + 1);
  FindLanguageIndex(languages, "Fuzzish");
  return 0;
}
