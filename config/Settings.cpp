#include "config/Settings.h"

#include <cstdlib>
#include <mutex>
#include <vector>

#include "config/TextFields.h"
#include "platform/CaseInsensitive.h"
#include "platform/PathParts.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramPath.h"
#include "platform/XdgFolders.h"

namespace {

constexpr std::string_view kAbsentMarker = "\\";

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
    {"GENERAL", "LANGUAGE", "Japanese"},
    {"DISP", "MINIMIZE_START", "0"},
    {"DISP", "SMALL_START", "0"},
    {"DISP", "POSITION", "100,100"},
    {"DISP", "AUTO_CLOSE", "1"},
    {"DISP", "TRAY_MINIMIZE", "0"},
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

// The save folder's default is the user's home folder followed by "/MP3/".
std::string ExpandHome(std::string_view value) {
  if (!value.starts_with("~/")) return std::string(value);
  return HomeFolder() + std::string(value.substr(1));
}

}  // namespace

std::string SettingsPath() {
  std::string name = GetFileNamePart(GetProgramPath());
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);  // tool.exe -> tool.ini
  return ProgramFilePath(name + ".ini");
}

std::string DefaultSetting(std::string_view section, std::string_view key) {
  for (const DefaultRow& row : kDefaults)
    if (EqualsIgnoringCase(row.section, section) && EqualsIgnoringCase(row.key, key))
      return ExpandHome(row.value);
  return "*";
}

SettingsSnapshot::SettingsSnapshot() : m_file(SettingsPath()) {}

std::string SettingsSnapshot::Read(std::string_view section, std::string_view key,
                                   int field) const {
  std::string text;
  if (!ReadOverride(section, key, text)) text = m_file.Get(section, key, kAbsentMarker);
  if (text.starts_with(kAbsentMarker)) {
    text = DefaultSetting(section, key);
    WriteSetting(section, key, text);
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
  return WriteProfileString(SettingsPath(), section, key, text);
}

bool TryWriteSettingInt(std::string_view section, std::string_view key, std::int32_t value) {
  return TryWriteSetting(section, key, std::to_string(value));
}

bool WriteSettingInt(std::string_view section, std::string_view key, std::int32_t value) {
  return WriteSetting(section, key, std::to_string(value));
}
