#include "config/Settings.h"

#include <cstdlib>
#include <mutex>
#include <vector>

#include "config/TextFields.h"
#include "platform/CaseInsensitive.h"
#include "platform/FolderTree.h"
#include "platform/InstallFolders.h"
#include "platform/PathParts.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramPath.h"
#include "platform/XdgFolders.h"

namespace {

constexpr std::string_view kAbsentMarker = "\\";
// Stands in the defaults table for the language the user's locale asks for.
constexpr std::string_view kLocaleLanguage = "<locale>";

struct DefaultRow {
  std::string_view section;
  std::string_view key;
  std::string_view value;
};

// Searched from the top; the first row whose section and key match wins.
constexpr DefaultRow kDefaults[] = {
    {"GENERAL", "EXTENSION", ".mpq"},
    {"GENERAL", "CONTINUE_AFTER_ERROR", "0"},
    {"GENERAL", "CONNECT_RETRY", "1"},
    {"GENERAL", "LANGUAGE", kLocaleLanguage},
    // Beyond the design, which threw away what it had of a file that
    // failed; "0" still does.
    {"GENERAL", "RESUME", "1"},
    // Ours: how many files are fetched at once, still handed on in list
    // order; "1" fetches one after another.
    {"GENERAL", "CONNECTIONS", "1"},
    {"DISP", "MINIMIZE_START", "0"},
    {"DISP", "SMALL_START", "0"},
    {"DISP", "POSITION", "100,100"},
    {"DISP", "AUTO_CLOSE", "1"},
    {"DISP", "TRAY_MINIMIZE", "0"},
    // Ours: a desktop notification when a run ends while the window is hidden
    // or minimised.
    {"DISP", "NOTIFY", "1"},
    {"SITE", "URL", ""},
    {"SITE", "USERID", ""},
    {"SITE", "PASSWORD", ""},
    {"SITE", "PROXY_MODE", "1"},
    {"SITE", "PROXY", ""},
    // Beyond the design, which fetched http only; "0" refuses https URLs as
    // it did.
    {"SITE", "HTTPS", "1"},
    {"CACHE", "SAVE_DIR", "~/MP3/"},
    // Mirroring the server's folders by default keeps two files of one name
    // from different folders apart.
    {"CACHE", "WITH_DIR", "1"},
    // The player bridge, found on the PATH, answers the player protocol on
    // Linux desktops.
    {"PLAY", "WINAMP_PATH", "tunefetch-bridge"},
    {"PLAY", "AUTO_PLAY", "1"},
    {"PLAY", "AUTO_CLEAR", "1"},
};

struct OverrideRow {
  std::string section;
  std::string key;
  std::string value;
};

std::mutex g_overrideMutex;
std::vector<OverrideRow> g_overrides;  // guarded by g_overrideMutex

// Called with g_overrideMutex held.
OverrideRow* FindOverride(std::string_view section, std::string_view key) {
  for (OverrideRow& row : g_overrides)
    if (EqualsIgnoringCase(row.section, section) && EqualsIgnoringCase(row.key, key)) return &row;
  return nullptr;
}

// The override of `section`/`key` into `value`; false when there is none.
bool ReadOverride(std::string_view section, std::string_view key, std::string& value) {
  std::lock_guard lock(g_overrideMutex);
  const OverrideRow* row = FindOverride(section, key);
  if (row) value = row->value;
  return row != nullptr;
}

// The language of the messages the user's locale asks for, found as the C
// library finds it: the first of LC_ALL, LC_MESSAGES and LANG that is set and
// not empty. A Japanese locale gets the Japanese texts, any other (or none)
// the built-in English ones.
std::string LocaleLanguage() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return std::string_view(value).starts_with("ja") ? "Japanese" : "English";
  }
  return "English";
}

// Defaults that depend on the user: the save folder is the home folder
// followed by "/MP3/", the language follows the locale.
std::string ExpandDefault(std::string_view value) {
  if (value == kLocaleLanguage) return LocaleLanguage();
  if (!value.starts_with("~/")) return std::string(value);
  return HomeFolder() + std::string(value.substr(1));
}

}  // namespace

std::string SettingsPath() {
  std::string name = GetFileNamePart(GetProgramPath());
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);  // tool.exe -> tool.ini
  return UserSettingsFilePath(name + ".ini");
}

std::string DefaultSetting(std::string_view section, std::string_view key) {
  for (const DefaultRow& row : kDefaults)
    if (EqualsIgnoringCase(row.section, section) && EqualsIgnoringCase(row.key, key))
      return ExpandDefault(row.value);
  return "*";
}

SettingsSnapshot::SettingsSnapshot() : m_file(SettingsPath()) {}

std::string SettingsSnapshot::Read(std::string_view section, std::string_view key,
                                   int field) const {
  std::string text;
  if (!ReadOverride(section, key, text)) text = m_file.Get(section, key, kAbsentMarker);
  if (text.starts_with(kAbsentMarker)) {
    // Written back only where the file still lacks the key: a value another
    // writer has put there since is read instead, never overwritten. A system
    // install's user folder may not exist before the first write.
    if (IsSystemInstall()) MakeFolderTree(UserConfigFolder());
    text = WriteProfileStringIfAbsent(SettingsPath(), section, key, DefaultSetting(section, key),
                                      kAbsentMarker);
  }
  if (field >= 0) return std::string(TrimWhiteSpace(GetField(text, field, ",")));
  return text;
}

std::int32_t SettingsSnapshot::ReadInt(std::string_view section, std::string_view key,
                                       int field) const {
  return ParseDecimalInt(Read(section, key, field));
}

std::string ReadSetting(std::string_view section, std::string_view key, int field) {
  return SettingsSnapshot().Read(section, key, field);
}

std::int32_t ReadSettingInt(std::string_view section, std::string_view key, int field) {
  return SettingsSnapshot().ReadInt(section, key, field);
}

bool IsSettingOn(std::string_view section, std::string_view key) {
  return ReadSettingInt(section, key, -1) != 0;
}

void OverrideSetting(std::string_view section, std::string_view key, std::string_view value) {
  std::lock_guard lock(g_overrideMutex);
  if (OverrideRow* row = FindOverride(section, key)) {
    row->value = value;
  } else {
    g_overrides.push_back({std::string(section), std::string(key), std::string(value)});
  }
}

bool WriteSetting(std::string_view section, std::string_view key, std::string_view text) {
  TryWriteSetting(section, key, text);
  return true;
}

bool TryWriteSetting(std::string_view section, std::string_view key, std::string_view text) {
  const std::string path = SettingsPath();
  if (WriteProfileString(path, section, key, text)) return true;
  // A system install's first write: the user's settings folder may not exist
  // yet. A missing program folder is not made: its settings stay unwritable.
  return IsSystemInstall() && MakeFolderTree(UserConfigFolder()) &&
         WriteProfileString(path, section, key, text);
}

bool TryWriteSettingInt(std::string_view section, std::string_view key, std::int32_t value) {
  return TryWriteSetting(section, key, std::to_string(value));
}

bool WriteSettingInt(std::string_view section, std::string_view key, std::int32_t value) {
  return WriteSetting(section, key, std::to_string(value));
}
