#pragma once
// INI ("profile") files with the behaviour programs written for Windows expect
// of its profile functions:
//  - section and key names match without regard to case; the first section
//    and the first key of a name win;
//  - values are trimmed of blanks and tabs, and a pair of matching single or
//    double quotes around a value is removed when it is read;
//  - a write creates the file, the section or the key as needed and keeps
//    every other line of the file as it was.
// Every call is safe from several threads and processes at once: a write
// takes an exclusive lock on the file's folder, writes the new text to a
// temporary file beside it and renames it over the old one, so a reader sees
// either the old or the new file, never a half-written one.
// A read looks at the file's stamp first (platform/FileStamp.h) and splits
// the file again only when it has changed since the last read of that path,
// so a change made by any process is seen by the next read. Reads and writes
// wait for a file another program changed within the last moment to settle
// (StampOnceSettled), so one rewritten in place is not taken half written.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// Longest text ReadProfileString returns, in bytes: every reader of these
// files expects what a 1024-byte buffer with its terminating NUL holds.
inline constexpr std::size_t kMaxProfileValueLength = 1023;

// The value of `key` in `section` of the file at `path`, or `defaultValue`
// when the file, the section or the key is missing; either is cut to its
// first kMaxProfileValueLength bytes.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue);

// A profile file as one look at it found it: every value read through the
// snapshot comes from that one version of the file, so values that belong
// together never mix two versions. Cheap to take (a stamp check while the
// file is unchanged); it holds no lock and sees no later change.
struct ParsedProfileFile;
class ProfileSnapshot {
 public:
  explicit ProfileSnapshot(const std::string& path);
  // As ReadProfileString, from this version of the file.
  std::string Get(std::string_view section, std::string_view key,
                  std::string_view defaultValue) const;

 private:
  std::shared_ptr<const ParsedProfileFile> m_file;  // null when the file could not be read
};

// Stores `value` under `key` in `section` of the file at `path`. The file has
// mode 0600 afterwards (it may hold a password), also when it had another
// one. A value is one line: it is cut at its first line break. Returns false
// when the file cannot be written; the old file is then left unchanged.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Stores `value` under `key` in `section`, as WriteProfileString does, only
// where the file has no such key or one whose value (as a read gives it)
// begins with `absentPrefix`: a value put there by another writer since the
// caller looked is kept. Returns the value the key holds afterwards; `value`
// (cut as a read cuts it) also when the file could not be written.
std::string WriteProfileStringIfAbsent(const std::string& path, std::string_view section,
                                       std::string_view key, std::string_view value,
                                       std::string_view absentPrefix);

// Removes the line of `key` in `section` of the file at `path`, keeping every
// other line (the section too, even when it is left empty). Nothing to
// remove (no file, section or key) is no failure; false when the file could
// not be replaced.
bool DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key);
