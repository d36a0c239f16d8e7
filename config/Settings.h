#pragma once
// The settings store: every setting lives in the INI file beside the program
// (on a system install, in the user's configuration folder: see
// platform/InstallFolders.h) and every read goes to the file (which is parsed again only when it
// has changed), so a value written by one part of the program, or by another process, is seen by
// the next read anywhere, on any thread. A key the file lacks reads as its default from a built-in
// table, and that default is written into the file at once, so the file comes to list every key
// that has been consulted.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ProfileFile.h"

// Full path of the settings file: the program folder (a system install: the
// user's configuration folder), then the base name of the program's file with
// the extension ".ini" (tunefetch -> tunefetch.ini).
std::string SettingsPath();

// Default text of `section`/`key` from the built-in table (names compared
// without regard to case), or "*" for a key without a row. GENERAL/LANGUAGE
// defaults to "Japanese" where the locale (LC_ALL, else LC_MESSAGES, else
// LANG) begins with "ja", else to "English".
std::string DefaultSetting(std::string_view section, std::string_view key);

// The setting as text, at most 1023 bytes. `field` < 0 asks for the whole
// value; 0 or more for that comma-separated field, trimmed of white space.
// A key that is absent, or whose value begins with a backslash, reads as its
// default, which is written back first (even "*" or empty text); a value
// another writer has put there meanwhile is read instead and kept. A key
// present with an empty value reads as empty text and is not rewritten.
std::string ReadSetting(std::string_view section, std::string_view key, int field);

// ReadSetting converted as a decimal number; text without leading digits
// (such as "*") gives 0.
std::int32_t ReadSettingInt(std::string_view section, std::string_view key, int field);

// Settings that are used together, read from one look at the file: each Read
// behaves as ReadSetting (defaults written back included) but takes its value
// from the version of the file the snapshot was made from. Make it where the
// values are needed; it sees no later change.
class SettingsSnapshot {
 public:
  SettingsSnapshot();
  std::string Read(std::string_view section, std::string_view key, int field) const;
  std::int32_t ReadInt(std::string_view section, std::string_view key, int field) const;

 private:
  ProfileSnapshot m_file;
};

// An on/off setting: on when its whole value reads as a non-zero number.
bool IsSettingOn(std::string_view section, std::string_view key);

// Makes `section`/`key` read as `value` in this process, in place of the
// file's value, without ever writing it: a command-line option that stands
// in for a setting for one run. Set before other threads read settings.
void OverrideSetting(std::string_view section, std::string_view key, std::string_view value);

// Store a value; failures are silent (a later read yields the default again),
// so both always report success.
bool WriteSetting(std::string_view section, std::string_view key, std::string_view text);
bool WriteSettingInt(std::string_view section, std::string_view key, std::int32_t value);

// Store a value and tell whether it reached the file: for a caller that must
// not let a failed write pass as saved (the setup sheet's OK).
bool TryWriteSetting(std::string_view section, std::string_view key, std::string_view text);
bool TryWriteSettingInt(std::string_view section, std::string_view key, std::int32_t value);
