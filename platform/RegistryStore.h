#pragma once
// A small file-backed key store that stands in for the system registry's
// classes root on Linux: keys with subkeys, named values and one default
// value per key (the empty name), each value with a type and exact bytes.
// Key and value names match without regard to ASCII case and keep the case
// they were created with; subkeys enumerate in case-insensitive name order.
//
// A key is named by its path from the root, parts separated by "\"
// ("DownloadListFile\shell"); the empty path is the root itself.
//
// Every call reads the store file afresh, so several processes share one
// store. A change takes an exclusive lock on the file's folder, reads the
// file, applies the change and replaces the file through a temporary file
// and a rename, so a reader sees the old or the new store, never half of one.
//
// A store file that cannot be parsed reads as an empty store; the first
// change then moves it aside to "<file>.damaged" (never deleting it) and
// starts a new store. Nothing is reported to the user.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Registry value types, numbered as the registry numbers them so a backup
// copies the type unchanged. Other numbers read from a file are kept as they are.
enum class RegistryType : std::uint32_t { String = 1, Binary = 3 };

struct RegistryValue {
  RegistryType type = RegistryType::String;
  std::string data;  // exact bytes; a string's bytes include its terminating NUL
};

enum class RegistryResult {
  Ok,
  NotFound,     // the key or value does not exist
  HasSubkeys,   // DeleteKey on a key that still has subkeys
  InvalidName,  // an empty path part, or a name or value over its limit
  StoreFailed,  // the store file could not be read or written
};

// Limits of names and values, as the registry has them.
inline constexpr size_t kMaxRegistryKeyNameLength = 255;      // bytes of one path part
inline constexpr size_t kMaxRegistryValueNameLength = 16383;  // bytes
inline constexpr size_t kMaxRegistryValueLength = 1 << 20;    // bytes of one value
inline constexpr size_t kMaxRegistryFileLength = 16 << 20;  // bytes; longer files count as damaged

class RegistryStore {
 public:
  // A store kept in the file at `path`; nothing is read until the first call.
  explicit RegistryStore(std::string path);

  // The classes-root store of this user: $TUNEFETCH_REGISTRY when set and not
  // empty, else $XDG_CONFIG_HOME/tunefetch/classes.reg, else
  // ~/.config/tunefetch/classes.reg.
  static RegistryStore ClassesRoot();

  const std::string& Path() const { return m_path; }

  bool KeyExists(std::string_view key) const;

  // Creates the key and every missing key above it; Ok when it already exists.
  RegistryResult CreateKey(std::string_view key) const;

  // Reads value `name` ("" for the default value) of `key` into `value`.
  RegistryResult QueryValue(std::string_view key, std::string_view name,
                            RegistryValue& value) const;

  // Writes value `name` of an existing `key`, replacing any earlier one.
  RegistryResult SetValue(std::string_view key, std::string_view name,
                          const RegistryValue& value) const;

  RegistryResult DeleteValue(std::string_view key, std::string_view name) const;

  // Number of direct subkeys of `key`.
  RegistryResult CountSubkeys(std::string_view key, size_t& count) const;

  // Name of the direct subkey at `index` (0-based, name order); NotFound past the end.
  RegistryResult EnumSubkey(std::string_view key, size_t index, std::string& name) const;

  // Names of the values of `key` ("" for the default value), in creation order.
  RegistryResult ListValues(std::string_view key, std::vector<std::string>& names) const;

  // Deletes `key` with its values; refused with HasSubkeys while it has
  // subkeys. The root cannot be deleted.
  RegistryResult DeleteKey(std::string_view key) const;

 private:
  std::string m_path;
};

// A string value as the registry stores one: the text and a terminating NUL.
RegistryValue MakeStringValue(std::string_view text);
