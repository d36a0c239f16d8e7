#include "platform/RegistryStore.h"

#include <fcntl.h>  // renameat2

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <utility>

#include "platform/CaseInsensitive.h"
#include "platform/DecimalText.h"
#include "platform/FolderTree.h"
#include "platform/HexText.h"
#include "platform/PathParts.h"
#include "platform/SmallFile.h"
#include "platform/XdgFolders.h"

// The store file is text, one record a line:
//   TUNEFETCH-REGISTRY 1                       first line, format 1
//   V =<name> <type> :<data>                   a value of the current key
//   K <path>                                   a key; the values after it are its own
// Values before the first K line belong to the root. Names, paths and data
// are written with every byte outside "!".."~" and every "%" as %XX, so a
// line never holds a blank or a line break of its own and printable text
// stays readable ("K DownloadListFile\shell\Start%20&Download").

namespace {

constexpr std::string_view kHeader = "TUNEFETCH-REGISTRY 1";
constexpr size_t kMaxKeyDepth = 512;

struct Node {
  std::string name;
  std::vector<std::pair<std::string, RegistryValue>> values;  // creation order
  std::vector<Node> subkeys;                                  // kept in LessIgnoringCase order

  Node* FindSubkey(std::string_view part) {
    for (Node& subkey : subkeys)
      if (EqualsIgnoringCase(subkey.name, part)) return &subkey;
    return nullptr;
  }
  Node& AddSubkey(std::string_view part) {
    auto place = std::find_if(subkeys.begin(), subkeys.end(),
                              [&](const Node& node) { return LessIgnoringCase(part, node.name); });
    return *subkeys.insert(place, Node{std::string(part), {}, {}});
  }
  RegistryValue* FindValue(std::string_view valueName) {
    for (auto& [name, value] : values)
      if (EqualsIgnoringCase(name, valueName)) return &value;
    return nullptr;
  }
};

// The parts of a key path; false for an empty part, a part over the name
// limit or a path deeper than kMaxKeyDepth. The empty path has no parts.
bool SplitKeyPath(std::string_view path, std::vector<std::string_view>& parts) {
  parts.clear();
  if (path.empty()) return true;
  while (true) {
    size_t separator = path.find('\\');
    std::string_view part = path.substr(0, separator);
    if (part.empty() || part.size() > kMaxRegistryKeyNameLength || parts.size() == kMaxKeyDepth)
      return false;
    parts.push_back(part);
    if (separator == std::string_view::npos) return true;
    path.remove_prefix(separator + 1);
  }
}

enum class Creation { OpenOnly, CreateMissing };

Node* WalkTo(Node& root, const std::vector<std::string_view>& parts, Creation creation) {
  Node* node = &root;
  for (std::string_view part : parts) {
    Node* next = node->FindSubkey(part);
    if (!next && creation == Creation::OpenOnly) return nullptr;
    node = next ? next : &node->AddSubkey(part);
  }
  return node;
}

// ---- the file format ----

bool IsPlainStoreByte(unsigned char c) { return c > ' ' && c < 0x7f && c != '%'; }

void AppendEscaped(std::string& out, std::string_view bytes) {
  out += PercentEscape(bytes, IsPlainStoreByte);
}

bool Unescape(std::string_view text, size_t limit, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
    } else {
      if (i + 2 >= text.size()) return false;
      int high = HexDigitValue(text[i + 1]), low = HexDigitValue(text[i + 2]);
      if (high < 0 || low < 0) return false;
      out += static_cast<char>(high * 16 + low);
      i += 2;
    }
    if (out.size() > limit) return false;
  }
  return true;
}

void AppendNode(std::string& out, const Node& node, const std::string& path) {
  if (!path.empty()) {
    out += "K ";
    AppendEscaped(out, path);
    out += '\n';
  }
  for (const auto& [name, value] : node.values) {
    out += "V =";
    AppendEscaped(out, name);
    out += ' ';
    out += std::to_string(static_cast<std::uint32_t>(value.type));
    out += " :";
    AppendEscaped(out, value.data);
    out += '\n';
  }
  for (const Node& subkey : node.subkeys)
    AppendNode(out, subkey, path.empty() ? subkey.name : path + "\\" + subkey.name);
}

std::string FormatStore(const Node& root) {
  std::string out(kHeader);
  out += '\n';
  AppendNode(out, root, "");
  return out;
}

bool ParseValueLine(std::string_view rest, Node& key) {
  // rest is "=<name> <type> :<data>"
  size_t first = rest.find(' ');
  size_t second = first == std::string_view::npos ? first : rest.find(' ', first + 1);
  if (second == std::string_view::npos || rest.find(' ', second + 1) != std::string_view::npos)
    return false;
  std::string_view nameToken = rest.substr(0, first);
  std::string_view typeToken = rest.substr(first + 1, second - first - 1);
  std::string_view dataToken = rest.substr(second + 1);
  if (!nameToken.starts_with('=') || !dataToken.starts_with(':')) return false;
  std::string name;
  RegistryValue value;
  const std::optional<std::uint32_t> type = ParseUnsigned<std::uint32_t>(typeToken);
  if (!Unescape(nameToken.substr(1), kMaxRegistryValueNameLength, name) || !type ||
      !Unescape(dataToken.substr(1), kMaxRegistryValueLength, value.data))
    return false;
  value.type = static_cast<RegistryType>(*type);
  if (RegistryValue* existing = key.FindValue(name))
    *existing = std::move(value);
  else
    key.values.emplace_back(std::move(name), std::move(value));
  return true;
}

// Fills `root` from the file text; false when the text is not a store.
bool ParseStore(std::string_view text, Node& root) {
  root = Node{};
  Node* current = &root;
  bool headerSeen = false;
  std::vector<std::string_view> parts;
  std::string path;
  while (!text.empty()) {
    size_t lineEnd = text.find('\n');
    std::string_view line = text.substr(0, lineEnd);
    text.remove_prefix(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!headerSeen) {
      if (line != kHeader) return false;
      headerSeen = true;
    } else if (line.starts_with("K ")) {
      if (!Unescape(line.substr(2), kMaxKeyDepth * (kMaxRegistryKeyNameLength + 1), path) ||
          path.empty() || !SplitKeyPath(path, parts))
        return false;
      current = WalkTo(root, parts, Creation::CreateMissing);
    } else if (line.starts_with("V ")) {
      if (!ParseValueLine(line.substr(2), *current)) return false;
    } else if (!line.empty()) {
      return false;
    }
  }
  return headerSeen;
}

// ---- the file ----

enum class StoreState { Loaded, Damaged, Failed };

// Fills `root` from what reading the store file gave.
StoreState ParseStoreFile(FileReadResult read, std::string_view content, Node& root) {
  root = Node{};
  switch (read) {
    case FileReadResult::Missing:
      return StoreState::Loaded;
    case FileReadResult::Unreadable:
      return StoreState::Failed;
    case FileReadResult::TooLarge:
      return StoreState::Damaged;
    case FileReadResult::Read:
      break;
  }
  if (ParseStore(content, root)) return StoreState::Loaded;
  root = Node{};
  return StoreState::Damaged;
}

StoreState LoadStore(const std::string& path, Node& root) {
  std::string content;
  const FileReadResult read = ReadSmallFile(path, kMaxRegistryFileLength, content);
  return ParseStoreFile(read, content, root);
}

// Moves a damaged store file to "<path>.damaged" (or ".damaged.N" when that
// name is taken), never replacing an earlier one.
bool MoveAside(const std::string& path) {
  for (int attempt = 1; attempt <= 100; ++attempt) {
    std::string target = path + ".damaged" + (attempt == 1 ? "" : "." + std::to_string(attempt));
    if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
      return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

using Change = std::function<RegistryResult(Node& root)>;

// Runs `change` on the store under the folder lock and saves the result when
// it reports Ok.
RegistryResult ChangeStore(const std::string& path, const Change& change) {
  if (!MakeFolderTree(GetDirectoryPart(path))) return RegistryResult::StoreFailed;
  RegistryResult result = RegistryResult::StoreFailed;
  const auto update = [&](FileReadResult read, std::string& text) {
    Node root;
    const StoreState state = ParseStoreFile(read, text, root);
    if (state == StoreState::Failed) return FileChange::Keep;
    result = change(root);
    if (result != RegistryResult::Ok) return FileChange::Keep;
    // A store that would grow past what a read accepts is refused, so it is
    // never taken for a damaged one later.
    text = FormatStore(root);
    if (text.size() > kMaxRegistryFileLength ||
        (state == StoreState::Damaged && !MoveAside(path))) {
      result = RegistryResult::StoreFailed;
      return FileChange::Keep;
    }
    return FileChange::Replace;
  };
  if (UpdateSmallFile(path, kMaxRegistryFileLength, update) == UpdateResult::Failed)
    return RegistryResult::StoreFailed;
  return result;
}

// Reads the store and hands the key at `key` to `read`; NotFound when it is missing.
RegistryResult ReadKey(const std::string& path, std::string_view key,
                       const std::function<RegistryResult(Node&)>& read) {
  std::vector<std::string_view> parts;
  if (!SplitKeyPath(key, parts)) return RegistryResult::InvalidName;
  Node root;
  if (LoadStore(path, root) == StoreState::Failed) return RegistryResult::StoreFailed;
  Node* node = WalkTo(root, parts, Creation::OpenOnly);
  return node ? read(*node) : RegistryResult::NotFound;
}

// Changes the existing key at `key` with `edit`; NotFound when it is missing.
RegistryResult EditKey(const std::string& path, std::string_view key,
                       const std::function<RegistryResult(Node&)>& edit) {
  std::vector<std::string_view> parts;
  if (!SplitKeyPath(key, parts)) return RegistryResult::InvalidName;
  return ChangeStore(path, [&](Node& root) {
    Node* node = WalkTo(root, parts, Creation::OpenOnly);
    return node ? edit(*node) : RegistryResult::NotFound;
  });
}

}  // namespace

RegistryStore::RegistryStore(std::string path) : m_path(std::move(path)) {}

RegistryStore RegistryStore::ClassesRoot() {
  const char* path = std::getenv("TUNEFETCH_REGISTRY");
  if (path && *path) return RegistryStore(path);
  return RegistryStore(UserConfigFolder() + "/classes.reg");
}

bool RegistryStore::KeyExists(std::string_view key) const {
  return ReadKey(m_path, key, [](Node&) { return RegistryResult::Ok; }) == RegistryResult::Ok;
}

RegistryResult RegistryStore::CreateKey(std::string_view key) const {
  std::vector<std::string_view> parts;
  if (!SplitKeyPath(key, parts)) return RegistryResult::InvalidName;
  return ChangeStore(m_path, [&](Node& root) {
    WalkTo(root, parts, Creation::CreateMissing);
    return RegistryResult::Ok;
  });
}

RegistryResult RegistryStore::QueryValue(std::string_view key, std::string_view name,
                                         RegistryValue& value) const {
  return ReadKey(m_path, key, [&](Node& node) {
    RegistryValue* found = node.FindValue(name);
    if (!found) return RegistryResult::NotFound;
    value = *found;
    return RegistryResult::Ok;
  });
}

RegistryResult RegistryStore::SetValue(std::string_view key, std::string_view name,
                                       const RegistryValue& value) const {
  if (name.size() > kMaxRegistryValueNameLength || value.data.size() > kMaxRegistryValueLength)
    return RegistryResult::InvalidName;
  return EditKey(m_path, key, [&](Node& node) {
    if (RegistryValue* existing = node.FindValue(name))
      *existing = value;
    else
      node.values.emplace_back(std::string(name), value);
    return RegistryResult::Ok;
  });
}

RegistryResult RegistryStore::DeleteValue(std::string_view key, std::string_view name) const {
  return EditKey(m_path, key, [&](Node& node) {
    auto found = std::find_if(node.values.begin(), node.values.end(), [&](const auto& entry) {
      return EqualsIgnoringCase(entry.first, name);
    });
    if (found == node.values.end()) return RegistryResult::NotFound;
    node.values.erase(found);
    return RegistryResult::Ok;
  });
}

RegistryResult RegistryStore::CountSubkeys(std::string_view key, size_t& count) const {
  return ReadKey(m_path, key, [&](Node& node) {
    count = node.subkeys.size();
    return RegistryResult::Ok;
  });
}

RegistryResult RegistryStore::EnumSubkey(std::string_view key, size_t index,
                                         std::string& name) const {
  return ReadKey(m_path, key, [&](Node& node) {
    if (index >= node.subkeys.size()) return RegistryResult::NotFound;
    name = node.subkeys[index].name;
    return RegistryResult::Ok;
  });
}

RegistryResult RegistryStore::ListValues(std::string_view key,
                                         std::vector<std::string>& names) const {
  return ReadKey(m_path, key, [&](Node& node) {
    names.clear();
    for (const auto& entry : node.values) names.push_back(entry.first);
    return RegistryResult::Ok;
  });
}

RegistryResult RegistryStore::DeleteKey(std::string_view key) const {
  std::vector<std::string_view> parts;
  if (!SplitKeyPath(key, parts) || parts.empty()) return RegistryResult::InvalidName;
  std::string_view leaf = parts.back();
  parts.pop_back();
  return ChangeStore(m_path, [&](Node& root) {
    Node* parent = WalkTo(root, parts, Creation::OpenOnly);
    Node* node = parent ? parent->FindSubkey(leaf) : nullptr;
    if (!node) return RegistryResult::NotFound;
    if (!node->subkeys.empty()) return RegistryResult::HasSubkeys;
    parent->subkeys.erase(parent->subkeys.begin() + (node - parent->subkeys.data()));
    return RegistryResult::Ok;
  });
}

RegistryValue MakeStringValue(std::string_view text) {
  RegistryValue value;
  value.type = RegistryType::String;
  value.data.assign(text);
  value.data += '\0';
  return value;
}
