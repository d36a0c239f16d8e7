#include "config/FileAssociation.h"

#include <cstring>
#include <string>
#include <vector>

#include "config/DesktopAssociation.h"
#include "platform/ProgramPath.h"

namespace {

constexpr std::string_view kFileType = "DownloadListFile";
constexpr std::string_view kContentTypeName = "Content Type";
constexpr std::string_view kContentType = "application/download";
constexpr std::string_view kBackupName = "Backup by QEM";
constexpr std::string_view kContentTypeBackupName = "Content Type Backup by QEM";
constexpr std::string_view kDescription = "QEM Download List";
constexpr std::string_view kVerb = "Start &Download";
constexpr char kEditFlags[] = {0x00, 0x00, 0x01, 0x00};  // 0x10000 little-endian: safe to open

// Values take part in comparisons through a zero-filled buffer of this size,
// so a string without its terminating NUL still compares as its text.
constexpr size_t kCompareBufferLength = 1024;

bool IsSingleKeyName(std::string_view extension) {
  return !extension.empty() && extension.find('\\') == std::string_view::npos;
}

// The value's text as a zero-filled 1024-byte buffer would show it.
std::string_view ComparedText(const RegistryValue& value) {
  std::string_view bytes(value.data.data(), std::min(value.data.size(), kCompareBufferLength));
  return bytes.substr(0, bytes.find('\0'));
}

// Copies value `name` of `key` to `backupName` when it holds data (an empty
// text with its NUL counts) other than `ours`. The copy keeps type and bytes.
void BackUpValue(const RegistryStore& store, std::string_view key, std::string_view name,
                 std::string_view ours, std::string_view backupName) {
  RegistryValue value;
  if (store.QueryValue(key, name, value) != RegistryResult::Ok || value.data.empty()) return;
  if (ComparedText(value) == ours) return;
  store.SetValue(key, backupName, value);
}

// Puts the backup `backupName` of `key` back as `name` and deletes it;
// false when there is no backup.
bool RestoreValue(const RegistryStore& store, std::string_view key, std::string_view backupName,
                  std::string_view name) {
  RegistryValue saved;
  if (store.QueryValue(key, backupName, saved) != RegistryResult::Ok) return false;
  store.SetValue(key, name, saved);
  store.DeleteValue(key, backupName);
  return true;
}

// Deletes value `name` of `key` only while it still holds `ours`, so a value
// another program wrote since is left alone.
void DeleteValueIfOurs(const RegistryStore& store, std::string_view key, std::string_view name,
                       std::string_view ours) {
  RegistryValue value;
  if (store.QueryValue(key, name, value) == RegistryResult::Ok && ComparedText(value) == ours)
    store.DeleteValue(key, name);
}

std::string Join(std::string_view parent, std::string_view name) {
  return parent.empty() ? std::string(name) : std::string(parent) + "\\" + std::string(name);
}

void WriteString(const RegistryStore& store, std::string_view key, std::string_view name,
                 std::string_view text) {
  store.CreateKey(key);
  store.SetValue(key, name, MakeStringValue(text));
}

bool IsEmptyKey(const RegistryStore& store, std::string_view key) {
  size_t subkeys = 0;
  std::vector<std::string> values;
  return store.CountSubkeys(key, subkeys) == RegistryResult::Ok && subkeys == 0 &&
         store.ListValues(key, values) == RegistryResult::Ok && values.empty();
}

}  // namespace

bool IsExtensionAssociated(const RegistryStore& store, std::string_view extension) {
  if (!IsSingleKeyName(extension)) return false;
  RegistryValue value;
  if (store.QueryValue(extension, "", value) != RegistryResult::Ok) return false;
  return ComparedText(value) == kFileType;
}

void AssociateExtension(const RegistryStore& store, std::string_view extension) {
  if (!IsSingleKeyName(extension)) return;
  if (store.KeyExists(extension)) {
    BackUpValue(store, extension, "", kFileType, kBackupName);
    BackUpValue(store, extension, kContentTypeName, kContentType, kContentTypeBackupName);
  }
  WriteString(store, extension, "", kFileType);
  WriteString(store, extension, kContentTypeName, kContentType);

  const std::string program = GetExecutablePath();
  WriteString(store, kFileType, "", kDescription);
  store.SetValue(kFileType, "EditFlags",
                 RegistryValue{RegistryType::Binary, std::string(kEditFlags, 4)});
  WriteString(store, Join(kFileType, "DefaultIcon"), "", "\"" + program + "\", 0");
  const std::string verbKey = Join(Join(kFileType, "shell"), kVerb);
  WriteString(store, verbKey, "", kVerb);
  WriteString(store, Join(verbKey, "command"), "", "\"" + program + "\" \"%1\"");
  RegisterDesktopAssociation(extension, program);
}

void ReleaseExtension(const RegistryStore& store, std::string_view extension) {
  if (!IsSingleKeyName(extension)) return;
  if (store.KeyExists(extension)) {
    if (RestoreValue(store, extension, kBackupName, "")) {
      // Without its own backup, "Content Type" keeps "application/download".
      RestoreValue(store, extension, kContentTypeBackupName, kContentTypeName);
    } else {
      // Nothing of another kind was the default: take back what associating
      // wrote, and drop the key only when it held nothing else.
      DeleteValueIfOurs(store, extension, "", kFileType);
      if (!RestoreValue(store, extension, kContentTypeBackupName, kContentTypeName))
        DeleteValueIfOurs(store, extension, kContentTypeName, kContentType);
      if (IsEmptyKey(store, extension)) DeleteKeyTree(store, "", extension);
    }
  }
  DeleteKeyTree(store, "", kFileType);
  ReleaseDesktopAssociation(extension);
}

void DeleteKeyTree(const RegistryStore& store, std::string_view parent, std::string_view name) {
  const std::string key = Join(parent, name);
  size_t count = 0;
  if (name.empty() || store.CountSubkeys(key, count) != RegistryResult::Ok) return;
  for (size_t i = count; i-- > 0;) {
    std::string subkey;
    if (store.EnumSubkey(key, i, subkey) == RegistryResult::Ok) DeleteKeyTree(store, key, subkey);
  }
  store.DeleteKey(key);
}
