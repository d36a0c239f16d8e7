#include "platform/AtomTable.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <map>
#include <optional>

#include "platform/SmallFile.h"
#include "platform/CaseInsensitive.h"
#include "platform/BusFd.h"
#include "platform/BusFolder.h"
#include "platform/HexText.h"

namespace {

constexpr std::string_view kHeader = "tunefetch-atoms 1";
constexpr std::size_t kAtomCount = 0x10000 - kFirstAtom;
// Room for a full table of longest names; a bigger file is not ours.
constexpr std::size_t kMaxTableFileSize = kAtomCount * (16 + 2 * kMaxAtomNameLength) + 64;

struct AtomEntry {
  std::uint32_t references = 0;
  std::string name;
};
using AtomMap = std::map<GlobalAtom, AtomEntry>;

template <typename Number>
std::optional<Number> ParseDecimal(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// One line "<atom> <references> <name as hex>"; damaged lines are dropped.
void ParseLine(std::string_view line, AtomMap& atoms) {
  const std::size_t first = line.find(' ');
  const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  if (second == std::string_view::npos) return;
  const auto atom = ParseDecimal<std::uint32_t>(line.substr(0, first));
  const auto references = ParseDecimal<std::uint32_t>(line.substr(first + 1, second - first - 1));
  const auto name = FromHex(line.substr(second + 1));
  if (!atom || *atom < kFirstAtom || *atom > 0xFFFF || !references || *references == 0 || !name ||
      name->empty() || name->size() > kMaxAtomNameLength || name->find('\0') != std::string::npos)
    return;
  atoms[static_cast<GlobalAtom>(*atom)] = {*references, *name};
}

// The lock and the table of one bus folder, for the span of one operation.
class LockedAtomTable {
 public:
  bool Open() {
    const BusFolderResult folder = OpenBusFolder();
    if (folder.error != BusError::None) return false;
    m_path = folder.path + "/atoms";
    m_lock = BusFd(open((m_path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!m_lock.IsOpen()) return false;
    while (flock(m_lock.Get(), LOCK_EX) != 0)
      if (errno != EINTR) return false;
    return Load();
  }

  AtomMap& Atoms() { return m_atoms; }

  bool Save() const {
    std::string text(kHeader);
    text += '\n';
    for (const auto& [atom, entry] : m_atoms)
      text += std::to_string(atom) + " " + std::to_string(entry.references) + " " + ToHex(entry.name) + "\n";
    return ReplaceFile(m_path, text);
  }

 private:
  bool Load() {
    std::string text;
    const FileReadResult read = ReadSmallFile(m_path, kMaxTableFileSize, text);
    if (read == FileReadResult::Missing) return true;  // no table yet: empty
    if (read != FileReadResult::Read) return false;
    std::string_view rest = text;
    if (!rest.starts_with(kHeader)) return true;  // a foreign or damaged file counts as empty
    for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(end + 1))
      ParseLine(rest.substr(0, end), m_atoms);
    return true;
  }

  std::string m_path;
  BusFd m_lock;  // held for the object's life
  AtomMap m_atoms;
};

}  // namespace

GlobalAtom GlobalAddAtom(std::string_view name) {
  if (name.empty() || name.size() > kMaxAtomNameLength || name.find('\0') != std::string_view::npos) return 0;
  LockedAtomTable table;
  if (!table.Open()) return 0;
  AtomMap& atoms = table.Atoms();
  for (auto& [atom, entry] : atoms) {
    if (!EqualsIgnoringCase(entry.name, name)) continue;
    if (entry.references == UINT32_MAX) return 0;
    ++entry.references;
    return table.Save() ? atom : 0;
  }
  // The lowest free number, so numbers stay small and a full table is plain.
  GlobalAtom chosen = 0;
  for (std::uint32_t candidate = kFirstAtom; candidate <= 0xFFFF; ++candidate) {
    if (!atoms.contains(static_cast<GlobalAtom>(candidate))) {
      chosen = static_cast<GlobalAtom>(candidate);
      break;
    }
  }
  if (chosen == 0) return 0;
  atoms[chosen] = {1, std::string(name)};
  return table.Save() ? chosen : 0;
}

std::string GlobalGetAtomName(GlobalAtom atom) {
  LockedAtomTable table;
  if (atom < kFirstAtom || !table.Open()) return {};
  const auto found = table.Atoms().find(atom);
  return found == table.Atoms().end() ? std::string() : found->second.name;
}

bool GlobalDeleteAtom(GlobalAtom atom) {
  LockedAtomTable table;
  if (atom < kFirstAtom || !table.Open()) return false;
  const auto found = table.Atoms().find(atom);
  if (found == table.Atoms().end()) return false;
  if (--found->second.references == 0) table.Atoms().erase(found);
  return table.Save();
}
