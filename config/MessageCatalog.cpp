#include "config/MessageCatalog.h"

#include "config/Settings.h"
#include "platform/CaseInsensitive.h"
#include "platform/InstallFolders.h"
#include "platform/ProfileFile.h"

namespace {

struct Message {
  std::string_view key;
  std::string_view text;
};

// The English texts are the program's own, spelling included.
constexpr Message kEnglish[] = {
    {"0001", "Stop QEM Before Setup."},
    {"0002", "Could not open Download List"},
    {"0004",
     "Could not run WinAmp version 2.X. QEM is not support WinAmp 3.X yet.\nIs download "
     "continued? "},
    {"0005", "Network Error"},
    {"0008", "Could not write downloaded files"},
    // Keys of our own, for failures the old program never reported.
    {"0101", "The settings were not saved, because the settings file could not be written."},
    {"0102", "Could not open the version page: no web browser could be started."},
    {"1013", "Asscociated"},
    {"1014", "Not Asscociated"},
    {"1015", "Asscociate"},
    {"1016", "Release"},
    {"2001", "&Restore"},
    {"2002", "Mi&nimize"},
    {"2003", "&Close"},
    {"2004", "S&kip Current File"},
    {"2005", "&Open Download List"},
    {"2006", "Close &Menu"},
    // Keys of our own: the desktop notification at the end of a run the
    // window did not show.
    {"3001", "Downloads finished"},
    {"3002", "Files fetched: %1"},
    {"3003", "Saved in: %1"},
    {"3004", "Open Folder"},
};

std::string EnglishText(std::string_view key) {
  for (const Message& message : kEnglish)
    if (EqualsIgnoringCase(message.key, key)) return std::string(message.text);
  return "*";
}

}  // namespace

std::string GetMessageText(std::string_view key) {
  std::string language = ReadSetting("GENERAL", "LANGUAGE", -1);
  if (language.starts_with('*') || EqualsIgnoringCase(language, "English")) return EnglishText(key);

  std::string text = ReadProfileString(LanguageFilePath(language), "MESSAGE", key, "*");
  size_t lineBreak = text.find("\\n");
  if (lineBreak != std::string::npos) text.replace(lineBreak, 2, "\n ");
  return text;
}

std::string LanguageFilePath(std::string_view language) {
  return FindDataFile(std::string(language) + std::string(kLanguageFileExtension));
}
